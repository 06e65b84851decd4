#pragma once
// One protocol file read back: what the program wrote, as figures.
#include "parameters/TestVariant.h"
#include "testing/core/ChoiceRecord.h"
#include "testing/core/Scoring.h"

#include <QString>

namespace kavr::report {

struct ProtocolRecord
{
    QString path; // the file it came from; empty when read from bytes
    // Read from a recovered protocol (<code>.IM.recovered.txt): the test was interrupted and
    // the protocol was written at the next start from the journal of its progress.
    bool recovered = false;
    // From the last subject set-up: the test that was run and whose code names the file.
    QString code;
    QString name;
    QString dateTime; // date and time of the set-up, as the protocol writes it
    int setUps = 1; // more than one when the set-up ran again before the end
    double instructionSeconds = 0; // whole seconds, from the last instruction line
    QString finishTime; // time of day, as the protocol writes it
    QString variant; // a variant's item text, "Вариант A"
    double answerSeconds = 0; // whole seconds
    // N[+], N[-], N[0] and V as printed; Tcp and SD from their two-decimal lines; placed is
    // 12 - N[0].
    Score score;
    ChoiceTable choices{}; // rows 1-12 as printed, times to two decimals

    // The index of the variant whose item text the protocol names ("Вариант A" is 0; Latin
    // letters, as the program writes them), -1 for any other text.
    int variantIndex() const
    {
        for (int i = 0; i < VariantCount; ++i)
            if (variant == TestVariants[i].itemText)
                return i;
        return -1;
    }
};

} // namespace kavr::report
