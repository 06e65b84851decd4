#pragma once
// The timed phases of the test as the subject sees them. A phase begins when its first screen is
// handed to the window system and ends exactly its length later, when the screen that ends it is
// handed over; both ends are the same operation: the screen drawn into the window's back buffer,
// the window system's queue drained, the clock read (or the deadline met), the drawing flushed.
// The screen that ends a phase is drawn ahead of time into an image of its own and only copied
// in the last moments: memory left untouched for the length of a phase may be slow to touch
// again (on a virtual machine, tens of milliseconds), so it is also touched a quarter of a second
// before the deadline. The main window says what each screen shows; the presenter tells it when
// a phase has ended, its last screen up.
#include "testing/core/Clock.h"
#include "testing/core/PhaseTimer.h"
#include "ui/PreparedFrame.h"

#include <QObject>
#include <QRegion>

#include <functional>
#include <memory>

class QWidget;

namespace kavr {

class PhasePresenter final : public QObject
{
    Q_OBJECT
public:
    // A screen that begins or ends a phase.
    struct Screen
    {
        std::function<QRegion()> region; // what it changes, in window coordinates
        std::function<void()> show;      // the controls as it shows them
        std::function<void()> hide;      // the controls as before it, to draw it ahead unseen
        std::function<void()> setUp;     // once, before it is first drawn; may be empty
    };

    // window: the top-level window the screens are in; neither it nor clock is owned. drain
    // returns once the window system has done what was asked of it (DesktopServices).
    PhasePresenter(QWidget *window, Clock &clock, std::function<void()> drain);
    ~PhasePresenter() override;

    // Puts first up at once and times ms from that moment; the phase ends with last, drawn
    // ahead drawAheadMs after the beginning.
    void begin(const Screen &first, int ms, const Screen &last, int drawAheadMs);
    // The next phase, begun as the last one ended: its first screen is the one just put up.
    void beginNext(int ms, const Screen &last, int drawAheadMs);
    // No phase runs any more; nothing drawn ahead will show.
    void stop();

    bool isActive() const { return m_timer.isActive(); }
    int interval() const { return m_timer.interval(); }
    Clock::Time deadline() const { return m_timer.deadline(); }

signals:
    // The phase's last screen is up, its controls as it shows them.
    void phaseEnded();

private:
    void drawAhead();
    void drawLast();
    void putUpLast();
    void setUpLast();

    QWidget *m_window;
    Clock &m_clock;
    std::function<void()> m_drain;
    PhaseTimer m_timer;
    ui::PreparedFrame m_frame;
    std::unique_ptr<Clock::Timer> m_drawAheadTimer;
    Screen m_last;
    bool m_lastSetUp = false;
};

} // namespace kavr
