#pragma once
// The boards built at run time, as data: one row per family of numbered panels. Positions are
// pixels at 96 dpi in the parent's client area; place i (1-based) lies in column
// (i - 1) mod columns and row (i - 1) div columns.
#include <QPoint>
#include <QRect>

namespace kavr {

struct PanelFamily
{
    const char *name;
    int width;
    int height;
    int fontPixels; // "Times New Roman"; 48, 16 and 12 pt at 96 dpi
    int borderWidth;
    int left;
    int top;
    int stepX;
    int stepY;
    int columns;
    bool handPointer;

    QRect geometry(int i) const
    {
        const int c = (i - 1) % columns;
        const int r = (i - 1) / columns;
        return {left + stepX * c, top + stepY * r, width, height};
    }
};

inline constexpr PanelFamily TaskPanelFamily{"TaskPanels", 170, 150, 64, 0, 115, 4, 200, 152, 4, true};
inline constexpr PanelFamily ExamplePanelFamily{"ExamplePanels", 60, 53, 21, 1, 104, 24, 72, 56, 4, false};
inline constexpr PanelFamily PracticePanelFamily{"PracticePanels", 60, 53, 21, 0, 104, 24, 72, 56, 4, true};
inline constexpr PanelFamily AnswerPanelFamily{"AnswerPanels", 133, 118, 64, 1, 8, 19, 136, 125, 6, false};
inline constexpr PanelFamily FigurePanelFamily{"FigurePanels", 43, 39, 16, 1, 10, 24, 55, 40, 6, false};

// Picture number bases: figure f is picture base + f.
inline constexpr int ExposureBase = 0;
inline constexpr int AnswerBase = 12;
inline constexpr int VariantBOffset = 100;
inline constexpr int ExampleBase = 1000;
inline constexpr int PaletteBase = 1012;

// Where the pointer goes when the answer phase begins: in the first answer image.
inline constexpr QPoint AnswerStartPoint{60, 65};

} // namespace kavr
