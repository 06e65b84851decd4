#pragma once
// Random input of a careless subject or a hurried operator: clicks anywhere in the window and
// on the controls of the stage (single, double, right, middle, wheel) and keys (F1, Enter,
// Esc, Tab, letters, digits, punctuation, Alt, Ctrl and Shift combinations, the Menu key).
// Esc and the exit button are left out of the log-in and subject-entry stages, where they end
// the program as they should; every other key and click can come in every stage. The keys and
// clicks that end a stage come seldom in it, so that each stage gets its share of the storm.
#include "harness/StageProbe.h"
#include "harness/XInput.h"

#include <QMap>
#include <QRandomGenerator>

namespace kavr::test {

using harness::Stage;
using harness::TopLevel;
using harness::XInput;

class Storm final
{
public:
    // The window's client area lies at windowOrigin on the screen and is client large; kinds
    // counts the actions sent, by kind ("click anywhere", "key F1", ...); input and kinds must
    // outlive the storm.
    Storm(XInput &input, QPoint windowOrigin, QSize client, quint32 seed, QMap<QString, int> &kinds);

    // One random action; windows are the program's other windows now shown (about box, menus).
    void act(Stage stage, const QList<TopLevel> &windows);
    // false: no Enter key and no Enter button in the subject entry, so that the operator's
    // code is the one set up.
    void setEntryMayEnd(bool may) { m_entryMayEnd = may; }
    // true: figures in the answer row are seldom clicked, so that the answer time runs out
    // rather than the twelfth placement ending the test.
    void setPicksSeldom(bool seldom) { m_picksSeldom = seldom; }
    // true: no keys of the window's frame (Windows: Alt+F4 closes the window in any stage, Alt+Space
    // and F10 open its system menu, whose items move, size or close it). They are the system's,
    // as a window manager's keys are on Linux, where the storm has none.
    void setFrameKeysLeftOut(bool leftOut) { m_frameKeysLeftOut = leftOut; }

private:
    QPoint randomPoint(Stage stage);
    QPoint targetPoint(Stage stage, const QList<TopLevel> &windows);
    void randomKey(Stage stage);
    bool chance(int percent) { return int(m_random.bounded(100)) < percent; }

    XInput &m_input;
    QPoint m_origin;
    QRect m_window;
    QRandomGenerator m_random;
    QMap<QString, int> &m_kinds;
    bool m_entryMayEnd = true;
    bool m_picksSeldom = false;
    bool m_frameKeysLeftOut = false;
};

} // namespace kavr::test
