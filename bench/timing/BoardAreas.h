#pragma once
// Where the watched things lie in the program's client area (the browser peer's page puts its
// figures, numbered panels and closing message at the same places).
#include <QColor>
#include <QRect>

namespace kavr::bench {

// The figure on task panel n (1..12) during the exposure.
inline QRect TaskImageArea(int n)
{
    const int c = (n - 1) % 4, r = (n - 1) / 4;
    return {115 + 200 * c + 2, 4 + 152 * r + 2, 166, 146};
}

// The figure offered at position n (1..12) of the answer row.
inline QRect AnswerImageArea(int n)
{
    const int c = (n - 1) % 6, r = (n - 1) / 6;
    return {88 + 8 + 136 * c + 3, 472 + 19 + 125 * r + 3, 127, 112};
}

// The first figure of the practice palette, drawn last by the set-up.
inline constexpr QRect PaletteFigureArea{520 + 77 + 10 + 3, 352 + 8 + 200 + 24 + 3, 37, 33};

// A band through the first line of the closing message, "Тест закончен. ..." in blue.
inline constexpr QRect ClosingMessageArea{12, 112, 620, 18};
inline constexpr QRgb ClosingMessageColour = 0xFF0000FF;

// Where the log-in is driven: an empty point of the window (right-click: context menu), the
// menu's first item, the two entry fields.
inline constexpr QPoint EmptyPoint{600, 700};
inline constexpr QPoint AboutItemOffset{30, 12};
inline constexpr QRect CodeFieldArea{303 + 16, 208 + 28, 305, 28};
inline constexpr QRect NameFieldArea{303 + 16, 296 + 28, 305, 28};

} // namespace kavr::bench
