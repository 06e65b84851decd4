#pragma once
// The outline drawings of the three figure sets, kept as geometry tables. A/B coordinates are
// pixel indices in the 166 x 146 exposure picture, practice boxes are in the 56 x 49 example
// picture; both name the OUTER edge of the stroke. The drawing is done in those design
// coordinates: to get a smaller picture of the same drawing the caller scales the painter.
#include <QPainter>
#include <QSize>

namespace kavr::tools {

enum class FigureSet { A, B, Practice };

class FigureDrawing
{
public:
    // Picture size the set's geometry is given in.
    static QSize designSize(FigureSet set);
    // Stroke width in design pixels.
    static double strokeWidth(FigureSet set);
    // Draws figure 1..12 of the set, black outlines, unfilled.
    static void draw(QPainter &painter, FigureSet set, int figure);
};

} // namespace kavr::tools
