#pragma once
// Which of twelve catalogue figures a screen area shows: figure f is picture base + f, as the
// program numbers them (assets/PictureCatalogue.h: ExposureBase, AnswerBase, PaletteBase, each
// plus VariantBOffset for variant B but the palette).
#include <QImage>
#include <QList>

namespace kavr::harness {

class FigureSet final
{
public:
    // Loads the twelve pictures; a picture the catalogue lacks stays null and is never seen.
    explicit FigureSet(int base);

    // The figure 1..12 the image shows (mean difference per channel below tolerance), 0 when
    // none; step compares every step-th pixel of every step-th row.
    int recognise(const QImage &shown, int step = 1, double tolerance = 8.0) const;
    // The twelve pictures, Format_RGB32.
    const QList<QImage> &pictures() const { return m_pictures; }

private:
    QList<QImage> m_pictures;
};

} // namespace kavr::harness
