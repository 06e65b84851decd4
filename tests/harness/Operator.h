#pragma once
// What the operator and the subject do with the real program, through the screen and the
// input devices only: log in through the about box, fill in the subject entry, start the test,
// place the figures; and what they see: the stage, the refusal line, a message box.
#include "harness/StageProbe.h"
#include "harness/XInput.h"

#include <QImage>
#include <QList>
#include <QString>

#include <cstdint>
#include <optional>
#include <utility>

namespace kavr::harness {

// The rows of an image of the maroon line that hold text, as bands of its text lines (first and
// last row of each).
QList<std::pair<int, int>> TextBands(const QImage &line);

class ProgramUnderTest;
class XInput;
class XvfbSession;

class Operator final
{
public:
    // None is owned; all must outlive the operator. run must have started.
    Operator(const XvfbSession &server, XInput &input, ProgramUnderTest &run);

    Stage stage() const { return m_probe.stage(); }
    // Closes an open menu or drop-down list with a click beside it.
    void settle();
    // "О программе" from the window's menu, then OK.
    void logIn();
    // The about box, when it is shown.
    std::optional<TopLevel> aboutBox() const;
    // Replaces the text of the code or the name field (a line break is the Linefeed key).
    void fillCode(const QString &text);
    void fillName(const QString &text);
    void pressEnter();
    void startTest();
    // A click on the figure offered at answer position; the date of the click.
    std::int64_t pick(int position);
    // The figure at position onto task panel: two clicks; the date of the second.
    std::int64_t place(int position, int panel);
    // Twelve placements: answer position i onto task panel i.
    void placeAll();
    // The maroon line under the buttons that says why an entry is refused, and what is amiss
    // with the workstation or was recovered at the start.
    bool refusalShown() const;
    QImage refusalLine() const;
    // How many lines of text it shows now (the label grows with them).
    qsizetype noticeLines() const;
    // A click where nothing is in any stage; it gives the main window the keyboard.
    void clickNowhere();

private:
    void fill(const QRect &field, const QString &text);

    const XvfbSession &m_server;
    XInput &m_input;
    ProgramUnderTest &m_run;
    StageProbe m_probe;
};

} // namespace kavr::harness
