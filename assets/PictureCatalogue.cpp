#include "PictureCatalogue.h"

#include "error/KavrError.h"

#include <QFile>

namespace kavr::assets {

bool IsPictureNumber(qint32 number)
{
    const auto inSet = [number](qint32 base) { return number > base && number <= base + 24; };
    return inSet(0) || inSet(100) || inSet(1000);
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
