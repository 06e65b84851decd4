#include "harness/ScreenProbe.h"

#include <cstdlib>

namespace kavr::harness {

namespace {

// Every picture compared in one pixel format, once, not on every sample.
QList<QImage> AsRgb32(const QList<QImage> &pictures)
{
    QList<QImage> converted;
    for (const QImage &picture : pictures)
        converted << picture.convertToFormat(QImage::Format_RGB32);
    return converted;
}

} // namespace

double MeanDifference(const QImage &a, const QImage &b, int step)
{
    if (a.size() != b.size() || a.isNull() || step < 1)
        return 255.0;
    const QImage x = a.format() == QImage::Format_RGB32 ? a : a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.format() == QImage::Format_RGB32 ? b : b.convertToFormat(QImage::Format_RGB32);
    qint64 sum = 0;
    qint64 count = 0;
    for (int row = 0; row < x.height(); row += step) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); col += step) {
            sum += std::abs(qRed(p[col]) - qRed(q[col])) + std::abs(qGreen(p[col]) - qGreen(q[col]))
                 + std::abs(qBlue(p[col]) - qBlue(q[col]));
            ++count;
        }
    }
    return double(sum) / (3.0 * double(count));
}

ImageCondition ShowsOneOf(const QList<QImage> &pictures, double tolerance)
{
    return [pictures = AsRgb32(pictures), tolerance](const QImage &shown) {
        for (const QImage &picture : pictures)
            if (MeanDifference(shown, picture, 3) < tolerance)
                return true;
        return false;
    };
}

ImageCondition ShowsNoneOf(const QList<QImage> &pictures, double tolerance)
{
    const ImageCondition any = ShowsOneOf(pictures, tolerance);
    return [any](const QImage &shown) { return !shown.isNull() && !any(shown); };
}

ImageCondition HasColour(QRgb colour, int minCount, int channelTolerance)
{
    return [colour, minCount, channelTolerance](const QImage &shown) {
        const QImage image = shown.convertToFormat(QImage::Format_RGB32);
        int count = 0;
        for (int row = 0; row < image.height(); ++row) {
            const auto *p = reinterpret_cast<const QRgb *>(image.constScanLine(row));
            for (int col = 0; col < image.width(); ++col)
                if (std::abs(qRed(p[col]) - qRed(colour)) <= channelTolerance
                    && std::abs(qGreen(p[col]) - qGreen(colour)) <= channelTolerance
                    && std::abs(qBlue(p[col]) - qBlue(colour)) <= channelTolerance
                    && ++count >= minCount)
                    return true;
        }
        return false;
    };
}

} // namespace kavr::harness
