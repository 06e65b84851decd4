#include "Storm.h"

#include "harness/ScreenMap.h"

#include <X11/keysym.h>

namespace kavr::test {

namespace {

using namespace harness::screen;

const QList<QRect> EntryControls = {CodeField, NameField, VariantBox, EnterButton, RefusalLine};

// Keys that do something in some stage or to some control, and a few that should do nothing.
const unsigned long PlainKeys[] = {
    XK_Tab, XK_space, XK_BackSpace, XK_Delete, XK_Left, XK_Right, XK_Up, XK_Down, XK_Home,
    XK_End, XK_Page_Up, XK_Page_Down, XK_Insert, XK_Menu, XK_F2, XK_F3, XK_F4, XK_F5, XK_F10,
    XK_F11, XK_F12, XK_slash, XK_backslash, XK_period, XK_comma, XK_minus, XK_semicolon,
    XK_apostrophe, XK_bracketleft, XK_grave,
};

} // namespace

Storm::Storm(XInput &input, QPoint windowOrigin, QSize client, quint32 seed, QMap<QString, int> &kinds)
    : m_input(input), m_origin(windowOrigin), m_window(QPoint(0, 0), client), m_random(seed), m_kinds(kinds)
{
}

QPoint Storm::randomPoint(Stage stage)
{
    for (;;) {
        const QPoint p(int(m_random.bounded(m_window.width())), int(m_random.bounded(m_window.height())));
        const bool entry = stage == Stage::LogIn || stage == Stage::SubjectEntry;
        const bool seldomPick = stage == Stage::Answer && m_picksSeldom && AnswerRow.contains(p) && !chance(5);
        if (!(entry && ExitButton.contains(p)) && !seldomPick)
            return p + m_origin;
    }
}

QPoint Storm::targetPoint(Stage stage, const QList<TopLevel> &windows)
{
    // The program's other windows first: a menu (its one item "О программе") and the about
    // box's OK, whose Enter action sets the test up again in the instruction and the exposure:
    // seldom enough that the test still gets on.
    for (const TopLevel &window : windows) {
        if (window.popup && chance(25))
            return window.geometry.topLeft()
                + QPoint(int(m_random.bounded(qMax(1, window.geometry.width()))),
                         int(m_random.bounded(qMax(1, window.geometry.height()))));
        if (window.name == QLatin1String("About") && chance(4))
            return window.geometry.topLeft() + AboutOkOffset;
    }
    QList<QRect> targets;
    switch (stage) {
    case Stage::LogIn:
    case Stage::SubjectEntry:
        targets = EntryControls;
        break;
    case Stage::Instruction:
        for (int i = 1; i <= 12; ++i)
            targets << PalettePanelArea(i) << PalettePanelArea(i) << PracticePanelArea(i) << ExamplePanelArea(i);
        targets << StartButton; // 1 in 49: the instruction gets its time before F1
        break;
    case Stage::Exposure:
    case Stage::Answer:
        for (int i = 1; i <= 12; ++i) {
            targets << TaskPanelArea(i);
            if (!m_picksSeldom || chance(5))
                targets << AnswerPanelArea(i);
        }
        break;
    case Stage::Finished:
        targets << InstructionText << StartButton;
        break;
    }
    QRect r = targets.at(int(m_random.bounded(int(targets.size()))));
    if (r == EnterButton && stage == Stage::SubjectEntry && !(m_entryMayEnd && chance(25)))
        r = EntryControls.first();
    return m_origin + r.topLeft()
        + QPoint(int(m_random.bounded(r.width())), int(m_random.bounded(r.height())));
}

void Storm::randomKey(Stage stage)
{
    const bool entry = stage == Stage::LogIn || stage == Stage::SubjectEntry;
    unsigned long keysym = 0;
    int modifiers = XInput::NoModifier;
    QString kind;
    while (kind.isEmpty()) {
        const int roll = int(m_random.bounded(100));
        if (roll < 4) {
            // F1 ends the instruction: seldom there, so that the instruction is stormed too.
            if (stage != Stage::Instruction || chance(15)) {
                keysym = XK_F1;
                kind = QStringLiteral("key F1");
            }
        } else if (roll < 9) {
            // Enter ends a filled-in subject entry: seldom there, likewise.
            if (stage != Stage::SubjectEntry || (m_entryMayEnd && chance(30))) {
                keysym = chance(80) ? XK_Return : XK_KP_Enter;
                kind = QStringLiteral("key Enter");
            }
        } else if (roll < 13) {
            if (!entry) {
                keysym = XK_Escape;
                kind = QStringLiteral("key Esc");
            }
        } else if (roll < 20) {
            keysym = XK_Tab;
            modifiers = chance(30) ? XInput::Shift : XInput::NoModifier;
            kind = QStringLiteral("key Tab");
        } else if (roll < 50) {
            keysym = XK_a + unsigned(m_random.bounded(26));
            modifiers = chance(20) ? XInput::Shift : XInput::NoModifier;
            kind = QStringLiteral("key letter");
        } else if (roll < 58) {
            keysym = XK_0 + unsigned(m_random.bounded(10));
            kind = QStringLiteral("key digit");
        } else if (roll < 72) {
            keysym = PlainKeys[m_random.bounded(int(std::size(PlainKeys)))];
            kind = QStringLiteral("key other");
        } else if (roll < 84) {
            const unsigned long withAlt[] = {XK_F4, XK_Tab, XK_Return, XK_Down, XK_space, XK_F1,
                                             XK_a + unsigned(m_random.bounded(26))};
            keysym = withAlt[m_random.bounded(int(std::size(withAlt)))];
            modifiers = XInput::Alt;
            kind = QStringLiteral("key Alt+");
        } else {
            const unsigned long withCtrl[] = {XK_a, XK_c, XK_v, XK_x, XK_z, XK_y, XK_Return, XK_F1, XK_w, XK_q};
            keysym = withCtrl[m_random.bounded(int(std::size(withCtrl)))];
            modifiers = chance(15) ? XInput::Control | XInput::Shift : XInput::Control;
            kind = QStringLiteral("key Ctrl+");
        }
        if (m_frameKeysLeftOut
            && (((keysym == XK_F4 || keysym == XK_space) && (modifiers & XInput::Alt)) || keysym == XK_F10))
            kind.clear();
        // The window takes Enter and F1 whatever modifiers are held.
        else if (modifiers != XInput::NoModifier
            && ((keysym == XK_Return && stage == Stage::SubjectEntry && !(m_entryMayEnd && chance(30)))
                || (keysym == XK_F1 && stage == Stage::Instruction && !chance(15))))
            kind.clear();
    }
    m_input.key(keysym, modifiers);
    ++m_kinds[kind];
}

void Storm::act(Stage stage, const QList<TopLevel> &windows)
{
    const int roll = int(m_random.bounded(100));
    if (roll < 22) {
        m_input.click(randomPoint(stage));
        ++m_kinds[QStringLiteral("click anywhere")];
    } else if (roll < 52) {
        m_input.click(targetPoint(stage, windows));
        ++m_kinds[QStringLiteral("click on a control")];
    } else if (roll < 60) {
        m_input.doubleClick(chance(50) ? targetPoint(stage, windows) : randomPoint(stage));
        ++m_kinds[QStringLiteral("double click")];
    } else if (roll < 64) {
        m_input.click(randomPoint(stage), 3);
        ++m_kinds[QStringLiteral("right click")];
    } else if (roll < 66) {
        m_input.click(chance(50) ? targetPoint(stage, windows) : randomPoint(stage), 2);
        ++m_kinds[QStringLiteral("middle click")];
    } else if (roll < 69) {
        m_input.click(randomPoint(stage), chance(50) ? 4 : 5);
        ++m_kinds[QStringLiteral("wheel")];
    } else {
        randomKey(stage);
    }
}

} // namespace kavr::test
