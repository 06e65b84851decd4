#pragma once
// The test's twelve figures. Wherever they appear they are numbered 1 to FigureCount: figure
// numbers, task panels, answer and palette positions, placement records. Tables of them are
// indexed so too, element 0 unused, as the test has always counted.
#include <array>

namespace kavr {

inline constexpr int FigureCount = 12;
// ChoiceNo once every figure is placed: the record after the last.
inline constexpr int AllPlaced = FigureCount + 1;

// One T per figure (or panel, or position, or record), indexed 1..FigureCount.
template <typename T> using PerFigure = std::array<T, FigureCount + 1>;

// Whether n is a figure's number (a panel's, a position's).
constexpr bool IsFigureNumber(int n)
{
    return n >= 1 && n <= FigureCount;
}

} // namespace kavr
