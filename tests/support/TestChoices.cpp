#include "support/TestChoices.h"

namespace kavr::test {

ChoiceTable SevenPlacedChoices()
{
    ChoiceTable c{};
    c[1] = {3.214, 5, 7, 2, 7};
    c[2] = {2.125, 11, 3, 9, 3};
    c[3] = {4.5, 1, 12, 4, 8};
    c[4] = {1.005, 8, 1, 12, 1};
    c[5] = {10.875, 2, 9, 6, 9};
    c[6] = {6.0, 12, 4, 1, 5};
    c[7] = {3.0, 3, 6, 10, 6};
    return c;
}

ChoiceTable TimeOutChoices()
{
    ChoiceTable c = SevenPlacedChoices();
    c[8] = {29.281, -1, 0, 3, 11};
    return c;
}

ChoiceTable AllPlacedChoices()
{
    ChoiceTable c = SevenPlacedChoices();
    c[8] = {2.5, 4, 2, 5, 2};
    c[9] = {1.75, 6, 11, 7, 11};
    c[10] = {2.0, 7, 5, 3, 5};
    c[11] = {1.125, 9, 8, 8, 10};
    c[12] = {3.375, 10, 10, 11, 10};
    return c;
}

} // namespace kavr::test
