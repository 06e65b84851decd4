#pragma once
// One area of the screen and a condition on what it shows, for ScreenWatcher.
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

#include <functional>

namespace kavr::harness {

using ImageCondition = std::function<bool(const QImage &)>;

struct ScreenProbe
{
    QString name;
    QRect area; // root-window coordinates
    ImageCondition holds;
};

// Mean absolute difference per channel (0..255) of two images of one size, over every
// step-th pixel of every step-th row; 255 when the sizes differ.
double MeanDifference(const QImage &a, const QImage &b, int step = 1);

// The area shows one of the pictures (mean difference below tolerance).
ImageCondition ShowsOneOf(const QList<QImage> &pictures, double tolerance = 8.0);
// The area shows none of them.
ImageCondition ShowsNoneOf(const QList<QImage> &pictures, double tolerance = 8.0);
// At least minCount pixels lie within channelTolerance of colour in every channel.
ImageCondition HasColour(QRgb colour, int minCount, int channelTolerance = 40);

} // namespace kavr::harness
