#pragma once
// A 4 × 3 board of twelve cells, each shaded by a share from 0 to 1 (light = few, dark = many,
// so that it reads in grey as well) and carrying its figures as text. The twelve task panels
// lie as on the subject's screen; the twelve figures in their numbers' order.
#include "parameters/Figures.h"

#include <QString>

#include <array>
#include <optional>

namespace kavr::report {

struct HeatCell
{
    QString head; // HTML: the panel number, or the figure's picture
    std::optional<double> share; // nothing: no subjects, the cell stays blank
    QString lines; // HTML below the head
};

// cells 1-12; caption above the board.
QString HeatMap(const QString &caption, const PerFigure<HeatCell> &cells);
// The shade of a share as #rrggbb, and whether text on it is written light.
QString HeatColour(double share);
bool HeatTextLight(double share);
// The scale from 0 to 100 %, for a legend.
QString HeatLegend();

} // namespace kavr::report
