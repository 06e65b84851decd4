#pragma once
// Mouse and keyboard input sent to an X server through XTest, as a real device would send it,
// and the top-level windows that server shows. A storm sends thousands of events: one
// connection of our own is much faster than starting xdotool for each.
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

struct _XDisplay;

namespace kavr::test {

struct TopLevel
{
    unsigned long id = 0;
    QString name;
    QRect geometry;
    bool popup = false; // override-redirect: a menu or a drop-down list
};

class XInput
{
public:
    enum Modifier { NoModifier = 0, Shift = 1, Control = 2, Alt = 4 };

    XInput() = default;
    ~XInput();
    XInput(const XInput &) = delete;
    XInput &operator=(const XInput &) = delete;

    bool open(const QString &display);

    // button 1 left, 2 middle, 3 right, 4/5 wheel.
    void click(QPoint screen, int button = 1);
    void doubleClick(QPoint screen);
    // keysym as in X11/keysym.h; modifiers are held around it.
    void key(unsigned long keysym, int modifiers = NoModifier);
    // Letters, digits, blank, '-' and '.' through the keys of the server's first layout: no
    // remapped key codes, which a program behind with its input would read after they are gone.
    void typeAscii(const QString &text);

    // Mapped top-level windows, bottom to top.
    QList<TopLevel> topLevels() const;
    // What the title bar's close button asks for: WM_DELETE_WINDOW.
    void requestClose(unsigned long window);

    int clicks() const { return m_clicks; }
    int keys() const { return m_keys; }

private:
    void press(unsigned long keysym, bool down);
    void flush();

    _XDisplay *m_display = nullptr;
    int m_clicks = 0;
    int m_keys = 0;
};

} // namespace kavr::test
