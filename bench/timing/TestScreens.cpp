#include "TestScreens.h"

#include "harness/MonotonicTime.h"
#include "harness/ScreenMap.h"
#include "parameters/Figures.h"
#include "parameters/TestVariant.h"
#include "testing/BoardGeometry.h"

#include <algorithm>

namespace kavr::bench {

using namespace harness;
using namespace harness::screen;

namespace {

constexpr std::int64_t Second = 1'000'000'000;

} // namespace

// The first variant, the program's initial one: the peer's page shows its pictures.
TestScreens::TestScreens(ScreenWatcher &watcher, XInput &input, QPoint origin)
    : m_watcher(watcher),
      m_input(input),
      m_origin(origin),
      m_exposed(TestVariants.front().exposurePictures),
      m_offered(TestVariants.front().answerPictures)
{
}

void TestScreens::Note(const Transition &t, RunResult &result)
{
    result.widestBracketMs = std::max(result.widestBracketMs, ToMs(t.firstTrueNs - t.lastFalseNs));
}

std::optional<std::int64_t> TestScreens::watchExposure(const char *key, RunResult &result)
{
    const std::int64_t pressed = m_input.key(key);
    const auto shown = m_watcher.waitFor({{QStringLiteral("figures"), at(TaskImageArea(1)), ShowsOneOf(m_exposed.pictures())}},
                                         pressed, pressed + 5 * Second)[0];
    if (!shown) {
        result.error = QStringLiteral("the figures did not appear");
        return std::nullopt;
    }
    Note(*shown, result);
    result.events << std::pair(QStringLiteral("%1 pressed").arg(QLatin1String(key)), pressed)
                  << std::pair(QStringLiteral("figures shown"), shown->atNs());
    result.onsetMs = ToMs(shown->atNs() - pressed);

    // Coarse polling until half a second before the 30 s are over, fine from then on.
    WatchPace pace;
    pace.fineFromNs = shown->atNs() + 29 * Second + Second / 2;
    const auto ended = m_watcher.waitFor(
        {{QStringLiteral("figures hidden"), at(TaskImageArea(1)), ShowsNoneOf(m_exposed.pictures())},
         {QStringLiteral("answer row"), at(AnswerImageArea(1)), ShowsOneOf(m_offered.pictures())}},
        shown->firstTrueNs, shown->atNs() + 40 * Second, pace);
    if (!ended[0] || !ended[1]) {
        result.error = QStringLiteral("the exposure did not end (figures hidden: %1, answer row: %2, %3 ms after the figures appeared)")
                           .arg(ended[0] ? QStringLiteral("yes") : QStringLiteral("no"), ended[1] ? QStringLiteral("yes") : QStringLiteral("no"))
                           .arg(ToMs(MonotonicNs() - shown->atNs()), 0, 'f', 0);
        return std::nullopt;
    }
    Note(*ended[0], result);
    Note(*ended[1], result);
    result.events << std::pair(QStringLiteral("figures hidden"), ended[0]->atNs())
                  << std::pair(QStringLiteral("answer row shown"), ended[1]->atNs());
    result.exposureMs = ToMs(ended[0]->atNs() - shown->atNs());
    return ended[1]->atNs();
}

QList<double> TestScreens::placeAll(std::int64_t answerStartNs, bool pickFirst, RunResult &result)
{
    QList<double> intervals;
    std::int64_t previous = answerStartNs;
    for (int i = 1; i <= FigureCount; ++i) {
        // 400..1300 ms, so that the printed hundredths take many values.
        const std::int64_t due = previous + (400 + std::int64_t(m_random.bounded(900))) * NsPerMs
                                 + std::int64_t(m_random.bounded(1000)) * 1000;
        if (pickFirst) {
            SleepUntilNs(due - 200 * NsPerMs);
            m_input.click(at(AnswerImageArea(i).center()));
        }
        m_input.moveTo(at(TaskImageArea(i).center()));
        SleepUntilNs(due);
        const std::int64_t placed = m_input.click(at(TaskImageArea(i).center()));
        intervals << ToMs(placed - previous);
        result.events << std::pair(QStringLiteral("placement %1 clicked").arg(i), placed);
        previous = placed;
    }
    return intervals;
}

std::optional<Transition> TestScreens::watchClosingMessage(std::int64_t sinceNs, std::int64_t fineFromNs,
                                                           std::int64_t deadlineNs, RunResult &result)
{
    WatchPace pace;
    pace.fineFromNs = fineFromNs;
    const auto closing = m_watcher.waitFor({{QStringLiteral("closing message"), at(ClosingMessageArea),
                                             HasColour(ClosingMessageColour, 200)}},
                                           sinceNs, deadlineNs, pace)[0];
    if (closing) {
        Note(*closing, result);
        result.events << std::pair(QStringLiteral("closing message shown"), closing->atNs());
    }
    else
        result.error = QStringLiteral("the closing message did not appear");
    return closing;
}

TestScreens::AnswerPhase TestScreens::runAnswerPhase(std::int64_t answerStartNs, bool placements,
                                                     bool pickFirst, RunResult &result)
{
    AnswerPhase phase;
    if (placements) {
        phase.intervals = placeAll(answerStartNs, pickFirst, result);
        const std::int64_t last = MonotonicNs();
        phase.closing = watchClosingMessage(last, last, last + 5 * Second, result);
    } else {
        phase.closing = watchClosingMessage(answerStartNs, answerStartNs + 59 * Second + Second / 2,
                                            answerStartNs + 70 * Second, result);
        if (phase.closing)
            result.answerMs = ToMs(phase.closing->atNs() - answerStartNs);
    }
    return phase;
}

} // namespace kavr::bench
