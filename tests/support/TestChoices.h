#pragma once
// Placements the tests score and print: values chosen so that halves round away from zero,
// wrong placements and a figure picked at the time-out all occur.
#include "testing/core/ChoiceRecord.h"

namespace kavr::test {

// Seven placements, two of them wrong; records 8 to 12 not placed.
ChoiceTable SevenPlacedChoices();
// The seven, then the answer time ran out with a figure picked (record 8).
ChoiceTable TimeOutChoices();
// All twelve placed, two of them wrong.
ChoiceTable AllPlacedChoices();

} // namespace kavr::test
