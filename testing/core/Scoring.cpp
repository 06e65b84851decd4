#include "testing/core/Scoring.h"

#include <algorithm>
#include <cmath>

namespace kavr {

Score ScoreChoices(const ChoiceTable &choices)
{
    Score score;
    double s1 = 0.0;
    double s2 = 0.0;
    for (int i = 1; i <= FigureCount; ++i) {
        const ChoiceRecord &record = choices[i];
        if (!record.placed())
            continue;
        if (record.Key == record.Answer)
            ++score.correct;
        s1 += record.Time;
        s2 += record.Time * record.Time;
        ++score.placed;
    }
    const int n = score.placed;
    if (n >= 2) {
        // Equal times can leave a tiny negative residue instead of 0.
        const double residue = n * s2 - s1 * s1;
        score.sd = std::sqrt(std::max(0.0, residue) / (double(n) * (n - 1)));
    }
    if (n >= 1)
        score.mean = s1 / n;
    score.cv = score.mean > 0 ? 100.0 * score.sd / score.mean : 0.0;
    score.wrong = n - score.correct;
    score.missing = FigureCount - n;
    return score;
}

} // namespace kavr
