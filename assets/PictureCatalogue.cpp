#include "PictureCatalogue.h"

#include "error/KavrError.h"

#include <QFile>

#include <algorithm>

namespace kavr::assets {

namespace {

bool InSet(qint32 number, qint32 base)
{
    return number > base && number <= base + FigureCount;
}

} // namespace

QList<qint32> PictureNumbers()
{
    QList<qint32> bases;
    for (const TestVariant &variant : TestVariants)
        bases << variant.exposurePictures << variant.answerPictures;
    bases << ExampleBase << PaletteBase;
    QList<qint32> numbers;
    for (qint32 base : bases)
        for (int figure = 1; figure <= FigureCount; ++figure)
            numbers << base + figure;
    // A variant that differs in its lengths only shows another's pictures.
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

bool IsPictureNumber(qint32 number)
{
    if (InSet(number, ExampleBase) || InSet(number, PaletteBase))
        return true;
    for (const TestVariant &variant : TestVariants)
        if (InSet(number, variant.exposurePictures) || InSet(number, variant.answerPictures))
            return true;
    return false;
}

bool IsAnswerPicture(qint32 number)
{
    for (const TestVariant &variant : TestVariants)
        if (InSet(number, variant.answerPictures))
            return true;
    return false;
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
