#pragma once
// The test's variants, one row each: the one place that says what a variant is. The variant
// list offers the rows in this order (item 0 is selected at start and stands for any text
// that names no row); the window, the protocol, the layout's texts, the picture catalogue and
// the results report all read them here. A variant is one row plus its pictures in
// assets/pictures (figure f's pictures numbered exposurePictures + f and answerPictures + f).
#include "parameters/Figures.h"

#include <QStringView>

#include <array>

namespace kavr {

struct TestVariant
{
    // The variant list's item, the window title's addition and the protocol's variant name;
    // its last character is letter.
    QStringView itemText;
    // How the results report's --variant names it (Latin).
    char16_t letter;
    // The numbers before the variant's first picture on the test board and in the answer row.
    int exposurePictures;
    int answerPictures;
    // The phase lengths: the figures shown, then the time to place them.
    int exposureSeconds;
    int answerSeconds;
    // The same lengths as the practice boards' captions and the instruction name them.
    QStringView exposureCaption;
    QStringView answerCaption;
    QStringView exposureInstruction;
    QStringView answerInstruction;
};

// The letters of itemText are Latin ("Вариант A", not Cyrillic А): protocols name them so.
inline constexpr auto TestVariants = std::to_array<TestVariant>({
    {u"Вариант A", u'A', 0, 12, 30, 60, u"30 сек", u"60 сек", u"30 секунд", u"60 секунд"},
    {u"Вариант B", u'B', 100, 112, 30, 60, u"30 сек", u"60 сек", u"30 секунд", u"60 секунд"},
});

inline constexpr int VariantCount = int(TestVariants.size());

// The row a protocol's or a journal's variant name stands for: the one with that item text,
// else the first, as the window counts any other text.
inline const TestVariant &VariantNamed(QStringView itemText)
{
    for (const TestVariant &variant : TestVariants)
        if (variant.itemText == itemText)
            return variant;
    return TestVariants.front();
}

} // namespace kavr
