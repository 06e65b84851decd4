#pragma once
// The answer phase the end-to-end tests play on every platform, and what the protocol must say
// of it: ten placements of the figures offered at positions 1..10 at a varied pace, the 4th and
// 7th onto the panels of the two figures never placed (positions 11 and 12), which leaves every
// right panel free; then the time-out.
#include "harness/XInput.h"
#include "parameters/Figures.h"
#include "report/read/ProtocolRecord.h"

#include <QList>
#include <QPoint>

#include <cstdint>
#include <functional>

namespace kavr::harness {

struct Placement
{
    int position = 0;
    int panel = 0;
    double seconds = 0; // measured outside: from the answer row seen, then from the last placement
};

// What the screen showed: the figure on each task panel, the panel of each figure, the figure
// at each answer position (all 1-based).
struct FiguresSeen
{
    PerFigure<int> keyOrder{};
    PerFigure<int> panelOf{};
    PerFigure<int> offered{};
};

// at maps a client point to the screen; answerSeenNs: when the answer row was first seen.
QList<Placement> PlaceTen(XInput &input, const std::function<QPoint(QPoint)> &at, const FiguresSeen &seen,
                          std::int64_t answerSeenNs);

// QtTest checks of the protocol's rows and counts against the placements (the caller asks
// QTest::currentTestFailed() after): rows 1..10 as placed, each time within 0.1 s of the one
// measured (the first 0.3 s: the answer row was polled), rows 11 and 12 empty, row 11 charged the
// rest of the answer time; 8 right, 2 wrong, 2 missing.
void CheckTenPlacements(const report::ProtocolRecord &record, const QList<Placement> &placements,
                        const FiguresSeen &seen);

} // namespace kavr::harness
