#pragma once
// The static layout of the main window: three layers that fill its client area, and on them
// every control that exists from the start, built from the layout's table (LayoutTable.h);
// the boards of figures are built later, at run time, inside the group boxes and the test
// layer named here.
#include "parameters/TestVariant.h"
#include "ui/LayoutTable.h"

#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace kavr::ui {

class BitButton;
class GroupBox;
class InstructionMemo;
class Panel;

struct MainWindowControls
{
    // Layers, bottom to top in the order of creation.
    Panel *PaPassword = nullptr;
    Panel *paTest = nullptr;
    Panel *paInstr = nullptr;

    // Log-in layer: all hidden until the about box's OK.
    GroupBox *gbVariant = nullptr;
    QComboBox *cbVariant = nullptr;
    GroupBox *GroupBoxUser = nullptr;
    QLineEdit *EditUser = nullptr;
    GroupBox *GroupBoxPasswrd = nullptr;
    QLineEdit *EditPassword = nullptr;
    BitButton *BtnEnter = nullptr;
    BitButton *BtnExit = nullptr;
    // What the log-in layer tells the operator: a refused entry, trouble with the workstation or
    // its screen, recovered protocols; hidden while there is nothing to tell.
    QLabel *logInNotice = nullptr;

    // Test layer.
    GroupBox *gbAnswer = nullptr;

    // Instruction layer.
    GroupBox *gbInstr = nullptr;
    InstructionMemo *mInstruction = nullptr;
    Panel *paExample = nullptr;
    BitButton *bbTest = nullptr;
    GroupBox *gbIn1 = nullptr;
    GroupBox *gbIn2 = nullptr;
    GroupBox *gbIn3 = nullptr;
};

using layout::ClientSize;
using layout::PaletteStartPoint;

// Builds every static control on form, which owns them.
MainWindowControls BuildMainWindowLayout(QWidget *form);

// The instruction text naming variant's phase lengths.
QStringList InstructionLines(const TestVariant &variant);

// The practice boards' captions and the instruction, naming variant's phase lengths. The
// layout shows the first variant's; the window shows the chosen one's once it is known.
void ShowPhaseLengths(const MainWindowControls &c, const TestVariant &variant);

// The log-in layer's entry controls, hidden until the about box's OK.
void ShowEntryControls(const MainWindowControls &c);
// What the log-in layer tells the operator, in the maroon label below the buttons, as tall as
// its lines need; nothing changes for no text.
void ShowLogInNotice(const MainWindowControls &c, const QString &text);

// The log-in layer's captions once the log-in has succeeded: the subject's code and name.
void ShowSubjectEntryCaptions(const MainWindowControls &c);

// The closing message in place of the instruction (bold blue, 24 pt).
void ShowClosingMessage(const MainWindowControls &c);

} // namespace kavr::ui
