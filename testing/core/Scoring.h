#pragma once
#include "testing/core/ChoiceRecord.h"

namespace kavr {

struct Score
{
    int placed = 0;   // n
    int correct = 0;  // N[+]
    int wrong = 0;    // N[-]
    int missing = 0;  // N[0]
    double mean = 0;  // Tcp, seconds
    double sd = 0;    // SD, seconds (n - 1 in the denominator)
    double cv = 0;    // V, per cent
};

// Scores Choices[1..12]; records with PanelNo -1 are skipped whatever they hold.
Score ScoreChoices(const ChoiceTable &choices);

} // namespace kavr
