#pragma once
// Mouse and keyboard input sent to an X server through XTest, as a real device would send it,
// on a connection of its own, and the top-level windows that server shows. Every click and key
// is dated on CLOCK_MONOTONIC: the middle between sending it and the server's answer to a
// round trip right behind it, so the date lies within a fraction of a millisecond of the
// moment the server queued the event for the program. A storm sends thousands of events: one
// connection is much faster than starting a tool for each.
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

#include <cstdint>
#include <map>

struct _XDisplay;

namespace kavr::harness {

struct TopLevel
{
    unsigned long id = 0;
    QString name;
    QRect geometry;
    bool popup = false; // override-redirect: a menu or a drop-down list
};

class XInput final
{
public:
    enum Modifier { NoModifier = 0, Shift = 1, Control = 2, Alt = 4 };

    XInput() = default;
    // Closes the connection; keys mapped for typing stay mapped on the server.
    ~XInput();
    XInput(const XInput &) = delete;
    XInput &operator=(const XInput &) = delete;

    // False, with errorString(), when the display or its XTest extension is missing.
    bool open(const QString &display);
    QString errorString() const { return m_error; }

    void moveTo(QPoint screen);
    // Where the pointer is now, on the screen.
    QPoint pointer() const;
    // Moves, presses and releases; button 1 left, 2 middle, 3 right, 4/5 wheel. Returns the
    // date of the release (widgets act on it).
    std::int64_t click(QPoint screen, int button = 1);
    void doubleClick(QPoint screen);
    // keysym as in X11/keysym.h; modifiers are held around it, and Shift too when the keysym
    // lies on the shifted level of its key. Returns the date of the press (the program acts
    // on it).
    std::int64_t key(unsigned long keysym, int modifiers = NoModifier);
    // The same by keysym name ("Return", "F1", "space").
    std::int64_t key(const char *keysymName);
    // Types text, pauseMs between characters; a line break is the Linefeed key (a line break
    // pasted or typed by a tool, not Enter: key(XK_Return) is Enter). Characters on the
    // server's layout go through their own keys; any other (Cyrillic, CJK, emoji, combining
    // marks) through a spare key code mapped to it at its first use and left so, so that a
    // program behind with its input never reads a key after its meaning changed.
    void type(const QString &text, int pauseMs = 0);

    // Mapped top-level windows, bottom to top.
    QList<TopLevel> topLevels() const;
    // What the title bar's close button asks for: WM_DELETE_WINDOW.
    void requestClose(unsigned long window);

    int clicks() const { return m_clicks; }
    int keys() const { return m_keys; }

private:
    void press(unsigned long keysym, bool down);
    // A key code that gives keysym, mapping a spare one when the layout has none; 0 when no
    // key code can be had.
    unsigned char keyCodeFor(unsigned long keysym);
    std::int64_t syncDated();

    _XDisplay *m_display = nullptr;
    QString m_error;
    std::map<unsigned long, unsigned char> m_mapped; // keysym -> spare key code given it
    QList<unsigned char> m_spare;                    // spare key codes not given out yet
    QList<unsigned long> m_order;                    // keysyms mapped, oldest first
    int m_clicks = 0;
    int m_keys = 0;
};

} // namespace kavr::harness
