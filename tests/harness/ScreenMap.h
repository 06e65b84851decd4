#pragma once
// Where things lie on the program's screens, in its client area (the layers fill it from 0, 0),
// for every test and bench that drives the program from outside: from the program's own tables,
// the boards built at run time (testing/BoardGeometry.h) and the static controls
// (ui/LayoutTable.h); what is the harness's own (areas it looks at, points it clicks) below them.
#include "testing/BoardGeometry.h"
#include "ui/LayoutTable.h"

#include <QColor>
#include <QPoint>
#include <QRect>

namespace kavr::harness::screen {

namespace layout = ui::layout;

// Parents of the boards in the client area: gbAnswer on the test layer; gbIn1, gbIn2 and
// gbIn3 (inside gbIn2) on paExample of the instruction layer.
inline constexpr QRect AnswerRow = layout::InClient(layout::gbAnswer);
inline constexpr QPoint AnswerBoard = AnswerRow.topLeft();
inline constexpr QPoint ExampleBoard = layout::InClient(layout::gbIn1, layout::paExample.geometry.topLeft()).topLeft();
inline constexpr QPoint PracticeBoard = layout::InClient(layout::gbIn2, layout::paExample.geometry.topLeft()).topLeft();
inline constexpr QPoint Palette = layout::InClient(layout::gbIn3, PracticeBoard).topLeft();

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
inline constexpr QRect VariantBox = layout::InClient(layout::cbVariant, layout::gbVariant.geometry.topLeft());
inline constexpr QRect CodeField = layout::InClient(layout::EditUser, layout::GroupBoxUser.geometry.topLeft());
inline constexpr QRect NameField = layout::InClient(layout::EditPassword, layout::GroupBoxPasswrd.geometry.topLeft());
// The caption runs across the group box's top edge.
inline constexpr QRect CodeCaption{layout::GroupBoxUser.geometry.left(), layout::GroupBoxUser.geometry.top() - 8,
                                   layout::GroupBoxUser.geometry.width(), 20};
inline constexpr QRect EnterButton = layout::InClient(layout::BtnEnter);
inline constexpr QRect ExitButton = layout::InClient(layout::BtnExit);
inline constexpr QRect RefusalLine = layout::InClient(layout::logInNotice);

// Instruction layer: the caption of its group box, the "F1 - Тест" button (hidden once the
// test starts), the text and a band through the first line of the closing message, "Тест
// закончен. ..." in blue.
inline constexpr QRect InstructionCaption{10, 4, 190, 22};
inline constexpr QRect StartButton = layout::InClient(layout::bbTest, layout::paExample.geometry.topLeft());
// Inside the memo's frame and margin.
inline constexpr QRect InstructionText{
    layout::InClient(layout::mInstruction, layout::gbInstr.geometry.topLeft()).topLeft(), QSize(1000, 300)};
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
