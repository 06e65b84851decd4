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

inline constexpr PanelFamily TaskPanelFamily{.name = "TaskPanels", .width = 170, .height = 150, .fontPixels = 64,
                                             .borderWidth = 0, .left = 115, .top = 4, .stepX = 200, .stepY = 152,
                                             .columns = 4, .handPointer = true};
inline constexpr PanelFamily ExamplePanelFamily{.name = "ExamplePanels", .width = 60, .height = 53, .fontPixels = 21,
                                                .borderWidth = 1, .left = 104, .top = 24, .stepX = 72, .stepY = 56,
                                                .columns = 4, .handPointer = false};
inline constexpr PanelFamily PracticePanelFamily{.name = "PracticePanels", .width = 60, .height = 53, .fontPixels = 21,
                                                 .borderWidth = 0, .left = 104, .top = 24, .stepX = 72, .stepY = 56,
                                                 .columns = 4, .handPointer = true};
inline constexpr PanelFamily AnswerPanelFamily{.name = "AnswerPanels", .width = 133, .height = 118, .fontPixels = 64,
                                               .borderWidth = 1, .left = 8, .top = 19, .stepX = 136, .stepY = 125,
                                               .columns = 6, .handPointer = false};
inline constexpr PanelFamily FigurePanelFamily{.name = "FigurePanels", .width = 43, .height = 39, .fontPixels = 16,
                                               .borderWidth = 1, .left = 10, .top = 24, .stepX = 55, .stepY = 40,
                                               .columns = 6, .handPointer = false};

// Where the pointer goes when the answer phase begins: in the first answer image.
inline constexpr QPoint AnswerStartPoint{60, 65};

} // namespace kavr
