#pragma once
// Which of the catalogue's figures a screen area shows: figure f is picture base + f, as the
// program numbers them (a variant's exposurePictures and answerPictures, testing/core/
// TestVariant.h; assets/PictureCatalogue.h: PaletteBase).
#include <QImage>
#include <QList>

namespace kavr::harness {

class FigureSet final
{
public:
    // Loads the FigureCount pictures; a picture the catalogue lacks stays null and is never seen.
    explicit FigureSet(int base);

    // The figure 1..FigureCount the image shows (mean difference per channel below tolerance), 0 when
    // none; step compares every step-th pixel of every step-th row.
    int recognise(const QImage &shown, int step = 1, double tolerance = 8.0) const;
    // The pictures of figures 1..FigureCount, Format_RGB32.
    const QList<QImage> &pictures() const { return m_pictures; }

private:
    QList<QImage> m_pictures;
};

} // namespace kavr::harness
