#pragma once
// The screens of one test as seen from outside, the same for the program and the browser
// peer (whose page puts things where the program does): the start key and the figures
// appearing, their hiding with the answer row, the placements, the closing message.
#include "RunResult.h"
#include "harness/FigureSet.h"
#include "harness/ScreenWatcher.h"
#include "harness/XInput.h"

#include <QList>
#include <QPoint>
#include <QRandomGenerator>

#include <cstdint>
#include <optional>

namespace kavr::bench {

class TestScreens final
{
public:
    // origin: the screen position of the client area's (or the page's) top left corner.
    TestScreens(harness::ScreenWatcher &watcher, harness::XInput &input, QPoint origin);

    QPoint at(QPoint client) const { return client + m_origin; }
    QRect at(const QRect &client) const { return client.translated(m_origin); }

    // Presses key, dates the figures appearing and, about 30 s later, their hiding and the
    // answer row appearing; fills onset and exposure. Returns when the answer row appeared
    // (the answer phase's start), empty with result.error set when something never showed.
    std::optional<std::int64_t> watchExposure(const char *key, RunResult &result);

    // Twelve placements at a varied pace, each a click on the offered figure at position i
    // (when pickFirst) and then the dated click on task panel i. Returns the intervals
    // measured outside, in ms: answer start to the first placement, then placement to
    // placement.
    QList<double> placeAll(std::int64_t answerStartNs, bool pickFirst, RunResult &result);

    // The answer phase after the answer row appeared: twelve placements (placeAll) and the
    // closing message right after them, or no placement and the closing message at the time-out,
    // whose distance from answerStartNs goes into result.answerMs. closing is empty, with
    // result.error set, when the message never showed.
    struct AnswerPhase
    {
        QList<double> intervals;
        std::optional<harness::Transition> closing;
    };
    AnswerPhase runAnswerPhase(std::int64_t answerStartNs, bool placements, bool pickFirst,
                               RunResult &result);

    // Dates the closing message; fine polling from fineFromNs on.
    std::optional<harness::Transition> watchClosingMessage(std::int64_t sinceNs, std::int64_t fineFromNs,
                                                  std::int64_t deadlineNs, RunResult &result);

    // Widens result's widest bracket by t's.
    static void Note(const harness::Transition &t, RunResult &result);

private:
    harness::ScreenWatcher &m_watcher;
    harness::XInput &m_input;
    QPoint m_origin;
    harness::FigureSet m_exposed;
    harness::FigureSet m_offered;
    QRandomGenerator m_random{20261207u};
};

} // namespace kavr::bench
