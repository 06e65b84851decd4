#pragma once
// One placement of the answer phase, and the twelve of a test.
#include "parameters/Figures.h"

#include <QtGlobal>

namespace kavr {

struct ChoiceRecord
{
    double Time = 0.0;   // seconds taken by this placement
    qint32 PanelNo = -1; // target panel 1..12; -1: not placed
    qint32 Key = 0;      // figure shown on that panel during the exposure
    qint32 PictureNo = 0; // position 1..12 in the answer row of the picked figure
    qint32 Answer = 0;   // figure number of the picked figure

    bool placed() const { return PanelNo != -1; }
    bool correct() const { return placed() && Key == Answer; }
};

// Indexed 1..FigureCount by ChoiceNo; element 0 is unused.
using ChoiceTable = PerFigure<ChoiceRecord>;

} // namespace kavr
