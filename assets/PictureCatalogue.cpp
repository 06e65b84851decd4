#include "PictureCatalogue.h"

#include "error/KavrError.h"

#include <QFile>

namespace kavr::assets {

bool IsPictureNumber(qint32 number)
{
    // Each pair of sets, exposure and answer or example and palette, follows on from its base.
    const auto inSets = [number](qint32 base) { return number > base && number <= base + 2 * 12; };
    return inSets(ExposureBase) || inSets(ExposureBase + VariantBOffset) || inSets(ExampleBase);
}

QByteArray PictureData(qint32 number)
{
    if (!IsPictureNumber(number))
        throw KavrError(QStringLiteral("No picture number %1").arg(number));
    QFile file(QStringLiteral(":/pictures/%1.jpg").arg(number, 4, 10, QLatin1Char('0')));
    if (!file.open(QIODevice::ReadOnly))
        throw KavrError(QStringLiteral("Picture number %1 cannot be read: %2").arg(number).arg(file.errorString()));
    return file.readAll();
}

} // namespace kavr::assets
