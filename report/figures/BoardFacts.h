#pragma once
// What one protocol tells of the boards its subject saw and left.
//
// A placed row names the panel (PanelNo), the figure shown on that panel during the exposure
// (Key), the figure put there (Answer) and its position in the answer row (PictureNo). So the
// exposure is known for exactly the panels that received a placement; with eleven of them
// known, the last panel and the last figure are known as well (each figure lay on one panel).
// Nothing else in the protocol tells where a figure was shown: the other panels stay unknown.
//
// The program never writes rows that disagree with one board; a file edited by hand may. Such
// rows are named in contradictions and what they disagree about is left unknown.
#include "parameters/Figures.h"
#include "report/read/ProtocolRecord.h"

#include <QList>
#include <QStringList>

namespace kavr::report {

struct PanelFacts
{
    int shownFigure = 0; // figure on the panel during the exposure; 0 not known
    bool deduced = false; // known only as the one panel and figure left
    QList<int> rows; // the rows that put a figure on the panel, normally one or none
};

struct FigureFacts
{
    int shownOn = 0; // panel the figure lay on during the exposure; 0 not known
    QList<int> rows; // the rows that placed the figure, normally one or none
};

struct BoardFacts
{
    PerFigure<PanelFacts> panels{}; // 1-12
    PerFigure<FigureFacts> figures{}; // 1-12
    // The row whose figure was picked but not yet placed when the answer time ran out (the
    // first row not placed, holding a figure that was still in the answer row); 0 when none.
    int pickedAtTimeOut = 0;
    QStringList contradictions; // in words, one per disagreement

    // Panels and figures whose exposure place is not known, ascending.
    QList<int> unknownPanels() const;
    QList<int> unplacedFigures() const;
};

BoardFacts ReadBoardFacts(const ProtocolRecord &record);

} // namespace kavr::report
