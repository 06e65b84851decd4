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
    // kinds counts the actions sent, by kind ("click anywhere", "key F1", ...); input and kinds
    // must outlive the storm.
    Storm(XInput &input, QPoint windowOrigin, quint32 seed, QMap<QString, int> &kinds);

    // One random action; windows are the program's other windows now shown (about box, menus).
    void act(Stage stage, const QList<TopLevel> &windows);
    // false: no Enter key and no Enter button in the subject entry, so that the operator's
    // code is the one set up.
    void setEntryMayEnd(bool may) { m_entryMayEnd = may; }
    // true: figures in the answer row are seldom clicked, so that the answer time runs out
    // rather than the twelfth placement ending the test.
    void setPicksSeldom(bool seldom) { m_picksSeldom = seldom; }

private:
    QPoint randomPoint(Stage stage);
    QPoint targetPoint(Stage stage, const QList<TopLevel> &windows);
    void randomKey(Stage stage);
    bool chance(int percent) { return int(m_random.bounded(100)) < percent; }

    XInput &m_input;
    QPoint m_origin;
    QRandomGenerator m_random;
    QMap<QString, int> &m_kinds;
    bool m_entryMayEnd = true;
    bool m_picksSeldom = false;
};

} // namespace kavr::test
