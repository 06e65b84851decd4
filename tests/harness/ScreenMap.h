#pragma once
// Where things lie on the program's screens, in its client area (the layers fill it from 0, 0),
// written once for every test and bench that drives the program from outside. The boards built
// at run time come from the program's own table (testing/BoardGeometry.h); the static controls
// and the parents of the boards are placed by ui/MainWindowLayout.cpp, whose table is not
// reachable without widgets, so they are copied here.
#include "testing/BoardGeometry.h"

#include <QColor>
#include <QPoint>
#include <QRect>

namespace kavr::harness::screen {

// Parents of the boards in the client area: gbAnswer on the test layer; gbIn1, gbIn2 and
// gbIn3 (inside gbIn2) on paExample at (0, 352) of the instruction layer.
inline constexpr QPoint AnswerBoard{88, 472};
inline constexpr QRect AnswerRow{88, 472, 827, 272};
inline constexpr QPoint ExampleBoard{0 + 8, 352 + 8};
inline constexpr QPoint PracticeBoard{0 + 520, 352 + 8};
inline constexpr QPoint Palette{0 + 520 + 77, 352 + 8 + 200};

// A panel of a family placed at parent, and the figure inside it: within the raised outer
// bevel, the border and the lowered inner bevel.
inline QRect PanelArea(const PanelFamily &family, int i, QPoint parent = {})
{
    return family.geometry(i).translated(parent);
}
inline QRect ImageArea(const PanelFamily &family, int i, QPoint parent = {})
{
    const int inset = 1 + family.borderWidth + 1;
    return PanelArea(family, i, parent).adjusted(inset, inset, -inset, -inset);
}

// The figure on task panel n (1..12) during the exposure.
inline QRect TaskPanelArea(int n) { return PanelArea(TaskPanelFamily, n); }
inline QRect TaskImageArea(int n) { return ImageArea(TaskPanelFamily, n); }
// The figure offered at position n (1..12) of the answer row.
inline QRect AnswerPanelArea(int n) { return PanelArea(AnswerPanelFamily, n, AnswerBoard); }
inline QRect AnswerImageArea(int n) { return ImageArea(AnswerPanelFamily, n, AnswerBoard); }
// The instruction's boards: example, practice panels and the palette of figures to place.
inline QRect ExamplePanelArea(int n) { return PanelArea(ExamplePanelFamily, n, ExampleBoard); }
inline QRect PracticePanelArea(int n) { return PanelArea(PracticePanelFamily, n, PracticeBoard); }
inline QRect PalettePanelArea(int n) { return PanelArea(FigurePanelFamily, n, Palette); }
inline QRect PaletteImageArea(int n) { return ImageArea(FigurePanelFamily, n, Palette); }

// Log-in layer: the entry fields and buttons, the maroon line of a refused entry and the
// caption of the code's group box.
inline constexpr QRect VariantBox{303 + 98, 120 + 30, 137, 28};
inline constexpr QRect CodeField{303 + 16, 208 + 28, 305, 28};
inline constexpr QRect NameField{303 + 16, 296 + 28, 305, 28};
inline constexpr QRect CodeCaption{303, 200, 338, 20};
inline constexpr QRect EnterButton{272, 408, 145, 33};
inline constexpr QRect ExitButton{528, 408, 145, 33};
inline constexpr QRect RefusalLine{272, 452, 401, 40};

// Instruction layer: the caption of its group box, the "F1 - Тест" button (hidden once the
// test starts), the text and a band through the first line of the closing message, "Тест
// закончен. ..." in blue.
inline constexpr QRect InstructionCaption{10, 4, 190, 22};
inline constexpr QRect StartButton{865, 352 + 340, 145, 40};
inline constexpr QRect InstructionText{10, 28, 1000, 300};
inline constexpr QRect ClosingMessageArea{12, 112, 620, 18};
inline constexpr QRgb ClosingMessageColour = 0xFF0000FF;

// Points: where the window's context menu is opened (empty on the log-in layer), its one item
// "О программе" from there, the about box's OK from the box's corner, and a point where no
// stage has anything (a click there gives the main window the keyboard).
inline constexpr QPoint MenuPoint{600, 700};
inline constexpr QPoint AboutItemOffset{30, 12};
inline constexpr QPoint AboutOkOffset{148, 208};
inline constexpr QPoint Nowhere{1200, 1000};

} // namespace kavr::harness::screen
