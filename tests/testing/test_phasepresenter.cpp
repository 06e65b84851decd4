// The phase presenter on a window of two screens, driven by the fake clock: a phase begins with
// its first screen on the window system at once and ends exactly its length later with its
// last screen there, before any event is handled, as the widgets themselves paint it; drawn
// ahead or in the last moments alike; nothing of the last screen shows early; the next phase
// counts from the deadline; a lost precise timer still ends the phase; a stopped one shows
// nothing.
#include "support/FakeClock.h"
#include "testing/PhasePresenter.h"

#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

using namespace kavr;
using namespace kavr::test;
using namespace std::chrono_literals;

namespace {

// What the window system holds for the window now, without handling any event.
QImage OnScreen(QWidget *window)
{
    return window->screen()->grabWindow(window->winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

QImage Painted(QWidget *window)
{
    return window->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// A window whose screens are a label of a colour of their own each.
struct Stage
{
    QWidget window;
    QLabel *screens[3];
    int setUps = 0;

    Stage()
    {
        window.resize(400, 300);
        const char *colours[] = {"#ffffff", "#204080", "#c02020"};
        for (int i = 0; i < 3; ++i) {
            screens[i] = new QLabel(QStringLiteral("экран %1").arg(i), &window);
            screens[i]->setGeometry(0, 0, 400, 300);
            screens[i]->setStyleSheet(QStringLiteral("background: %1").arg(QLatin1String(colours[i])));
        }
        window.show(); // every screen styled once, as the program's are before a phase
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        screens[1]->setVisible(false);
        screens[2]->setVisible(false);
        QCoreApplication::processEvents();
    }
    PhasePresenter::Screen screen(int i)
    {
        // Each screen follows the one before it in the order 0, 1, 2, 0.
        const auto only = [this](int shown) {
            for (QLabel *s : screens)
                s->setVisible(s == screens[shown]);
        };
        return {[this] { return QRegion(window.rect()); }, [only, i] { only(i); },
                [only, i] { only((i + 2) % 3); }, [this] { ++setUps; }};
    }
};

} // namespace

class PhasePresenterTest : public QObject
{
    Q_OBJECT

private slots:
    void phasesBeginAndEndOnScreen_data();
    void phasesBeginAndEndOnScreen();
    void lostPreciseTimerStillEndsThePhase();
    void stoppedShowsNothing();
};

void PhasePresenterTest::phasesBeginAndEndOnScreen_data()
{
    QTest::addColumn<int>("drawAheadMs");
    QTest::newRow("drawn ahead") << 1'000;
    QTest::newRow("drawn in the last moments") << 60'000;
}

void PhasePresenterTest::phasesBeginAndEndOnScreen()
{
    QFETCH(int, drawAheadMs);
    FakeClock clock;
    Stage stage;
    PhasePresenter presenter(&stage.window, clock, [] {});
    QList<Clock::Time> endedAt;
    QList<QImage> shownAtEnd;
    connect(&presenter, &PhasePresenter::phaseEnded, this, [&] {
        endedAt << clock.monotonic();
        shownAtEnd << OnScreen(&stage.window); // before any event is handled
        if (endedAt.size() == 1)
            presenter.beginNext(5'000, stage.screen(0), drawAheadMs);
    });

    const Clock::Time begun = clock.monotonic();
    presenter.begin(stage.screen(1), 30'000, stage.screen(2), drawAheadMs);
    const QImage first = OnScreen(&stage.window);
    QCOMPARE(first, Painted(&stage.window)); // on the window system at once
    QVERIFY(stage.screens[1]->isVisible());
    clock.advanceMs(29'900);
    QCOMPARE(OnScreen(&stage.window), first); // nothing of the last screen shows early
    QVERIFY(stage.screens[1]->isVisible() && !stage.screens[2]->isVisible());
    clock.advanceMs(100);
    QCOMPARE(endedAt.size(), 1);
    QCOMPARE(endedAt.first(), begun + 30'000ms);
    QVERIFY(stage.screens[2]->isVisible() && !stage.screens[1]->isVisible());
    QCOMPARE(shownAtEnd.first(), Painted(&stage.window));

    clock.advanceMs(5'000); // the next phase counts from the deadline
    QCOMPARE(endedAt.size(), 2);
    QCOMPARE(endedAt.last(), begun + 35'000ms);
    QVERIFY(stage.screens[0]->isVisible());
    QCOMPARE(shownAtEnd.last(), Painted(&stage.window));
    QCOMPARE(stage.setUps, 2); // each last screen set up once
    QVERIFY(!presenter.isActive());
}

void PhasePresenterTest::lostPreciseTimerStillEndsThePhase()
{
    FakeClock clock;
    Stage stage;
    PhasePresenter presenter(&stage.window, clock, [] {});
    QSignalSpy ended(&presenter, &PhasePresenter::phaseEnded);
    presenter.begin(stage.screen(1), 60'000, stage.screen(2), 50);
    const Clock::Time deadline = presenter.deadline();
    clock.losePreciseTimers();
    clock.advanceMs(60'000 + PhaseTimer::BackstopMs - 1);
    QCOMPARE(ended.count(), 0);
    clock.advanceMs(1);
    QCOMPARE(ended.count(), 1);
    QCOMPARE(clock.monotonic(), deadline + std::chrono::milliseconds(PhaseTimer::BackstopMs));
    QVERIFY(stage.screens[2]->isVisible());
    QCOMPARE(OnScreen(&stage.window), Painted(&stage.window));
}

void PhasePresenterTest::stoppedShowsNothing()
{
    FakeClock clock;
    Stage stage;
    PhasePresenter presenter(&stage.window, clock, [] {});
    QSignalSpy ended(&presenter, &PhasePresenter::phaseEnded);
    presenter.begin(stage.screen(1), 30'000, stage.screen(2), 1'000);
    clock.advanceMs(29'000); // drawn ahead by now
    presenter.stop();
    const QImage before = OnScreen(&stage.window);
    clock.advanceMs(5'000);
    QCoreApplication::processEvents();
    QCOMPARE(ended.count(), 0);
    QVERIFY(stage.screens[1]->isVisible() && !stage.screens[2]->isVisible());
    QCOMPARE(OnScreen(&stage.window), before);
}

QTEST_MAIN(PhasePresenterTest)
#include "test_phasepresenter.moc"
