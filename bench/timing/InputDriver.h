#pragma once
// Mouse and keyboard input through XTest on a connection of its own, each event dated on
// CLOCK_MONOTONIC: the middle between sending it and the server's answer to a round trip
// right behind it, so the date is within a fraction of a millisecond of the moment the server
// queued the event for the program.
#include <QPoint>
#include <QString>

#include <cstdint>

struct _XDisplay;

namespace kavr::bench {

class InputDriver
{
public:
    InputDriver();
    ~InputDriver();
    InputDriver(const InputDriver &) = delete;
    InputDriver &operator=(const InputDriver &) = delete;

    // False, with errorString(), when the display or its XTest extension is missing.
    bool open(const QString &display);
    QString errorString() const { return m_error; }

    void moveTo(QPoint point);
    // Moves, presses and releases; returns when the release was queued (widgets act on it).
    std::int64_t click(QPoint point, int button = 1);
    // Presses and releases a key by its keysym name ("Return", "F1", "space"); returns when the
    // press was queued (the program acts on it).
    std::int64_t key(const char *keysymName);
    // Types Latin letters, digits, blanks and full stops.
    void type(const QString &text);

private:
    std::int64_t sendKey(unsigned long keysym);

    _XDisplay *m_display = nullptr;
    QString m_error;
};

} // namespace kavr::bench
