#pragma once
// What the operator and the subject do with the real program, through the screen and the
// input devices only: log in through the about box, fill in the subject entry, start the test,
// place the figures; and what they see: the stage, the refusal line, a message box.
#include "StageProbe.h"

#include <QString>

namespace kavr::test {

class ProgramRun;
class XInput;
class XvfbSession;

class Operator
{
public:
    Operator(const XvfbSession &server, XInput &input, const ProgramRun &run);

    Stage stage() const { return m_probe.stage(); }
    // Closes an open menu or drop-down list with a click beside it.
    void settle();
    // "О программе" from the window's menu, then OK.
    void logIn();
    // Replaces the text of the code or the name field: ASCII through the keyboard's own keys,
    // anything else with xdotool type (where a line break is the Enter key).
    void fillCode(const QString &text);
    void fillName(const QString &text);
    void pressEnter();
    void startTest();
    // Twelve placements: answer position i onto task panel i.
    void placeAll();
    // The maroon line under the buttons that says why an entry is refused.
    bool refusalShown() const;
    QImage refusalLine() const;
    // A click where nothing is in any stage; it gives the main window the keyboard.
    void clickNowhere();

private:
    void fill(QPoint field, const QString &text);

    const XvfbSession &m_server;
    XInput &m_input;
    const ProgramRun &m_run;
    StageProbe m_probe;
};

} // namespace kavr::test
