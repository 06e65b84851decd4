#include "harness/FigureSet.h"

#include "assets/JpegDecoder.h"
#include "harness/ScreenProbe.h"
#include "parameters/Figures.h"

namespace kavr::harness {

FigureSet::FigureSet(int base)
{
    for (int f = 1; f <= FigureCount; ++f)
        m_pictures << assets::LoadPicture(base + f).convertToFormat(QImage::Format_RGB32);
}

int FigureSet::recognise(const QImage &shown, int step, double tolerance) const
{
    int best = 0;
    double bestDifference = tolerance;
    for (int f = 1; f <= FigureCount; ++f) {
        const double difference = MeanDifference(shown, m_pictures[f - 1], step);
        if (difference < bestDifference) {
            best = f;
            bestDifference = difference;
        }
    }
    return best;
}

} // namespace kavr::harness
