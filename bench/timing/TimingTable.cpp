#include "TimingTable.h"

#include "parameters/TestVariant.h"

#include <algorithm>
#include <cmath>

namespace kavr::bench {

namespace {

// The program runs its first variant: the list's initial item.
constexpr double ExposureMs = TestVariants.front().exposureSeconds * 1000.0;
constexpr double AnswerMs = TestVariants.front().answerSeconds * 1000.0;

using Pick = std::function<QList<double>(const RunResult &)>;

QList<double> Collect(const QList<RunResult> &runs, const Pick &pick)
{
    QList<double> values;
    for (const RunResult &run : runs)
        if (run.error.isEmpty())
            values << pick(run);
    return values;
}

Pick Optional(std::optional<double> RunResult::*field, double minus = 0.0)
{
    return [field, minus](const RunResult &run) {
        return (run.*field) ? QList<double>{*(run.*field) - minus} : QList<double>{};
    };
}

QString Number(std::optional<double> value, int decimals = 1)
{
    return value ? QString::number(*value, 'f', decimals) : QStringLiteral("—");
}

} // namespace

std::optional<double> TimingTable::median(QList<double> values)
{
    if (values.isEmpty())
        return std::nullopt;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

std::optional<double> TimingTable::worstAbsolute(const QList<double> &values)
{
    if (values.isEmpty())
        return std::nullopt;
    double worst = 0.0;
    for (double v : values)
        worst = std::max(worst, std::abs(v));
    return worst;
}

QList<TimingTable::Row> TimingTable::rows() const
{
    auto medianOf = [](const Pick &pick) {
        return [pick](const QList<RunResult> &runs) { return median(Collect(runs, pick)); };
    };
    auto worstOf = [](const Pick &pick) {
        return [pick](const QList<RunResult> &runs) { return worstAbsolute(Collect(runs, pick)); };
    };
    const Pick exposure = Optional(&RunResult::exposureMs, ExposureMs);
    const Pick answer = [](const RunResult &run) {
        return !run.placements && run.answerMs ? QList<double>{*run.answerMs - AnswerMs} : QList<double>{};
    };
    const Pick placement = [](const RunResult &run) { return run.placementErrorsMs; };
    const Pick exactPlacement = [](const RunResult &run) { return run.exactErrorsMs; };
    auto sizesOf = [](const Pick &pick) {
        return [pick](const RunResult &run) {
            QList<double> sizes;
            for (double e : pick(run))
                sizes << std::abs(e);
            return sizes;
        };
    };
    // The most negative of the phases' errors: a phase cut short takes time from the subject.
    const Pick phases = [exposure, answer](const RunResult &run) {
        return exposure(run) + answer(run);
    };
    auto shortestOf = [](const Pick &pick) {
        return [pick](const QList<RunResult> &runs) -> std::optional<double> {
            const QList<double> values = Collect(runs, pick);
            if (values.isEmpty())
                return std::nullopt;
            return *std::min_element(values.begin(), values.end());
        };
    };
    const Pick startup = Optional(&RunResult::startupMs);
    const Pick bracket = [](const RunResult &run) { return QList<double>{run.widestBracketMs}; };
    return {
        {QStringLiteral("Exposure error, median (ms)"), medianOf(exposure), 0.5},
        {QStringLiteral("Exposure error, worst (ms)"), worstOf(exposure), 1.0},
        {QStringLiteral("Answer time error, median (ms)"), medianOf(answer), 0.5},
        {QStringLiteral("Answer time error, worst (ms)"), worstOf(answer), 1.0},
        {QStringLiteral("Exposure/answer shortest (ms)"), shortestOf(phases), -0.5, true},
        // The protocol's hundredths of a second are 5 ms off by their rounding alone: the
        // program's own timing is judged on the journal's exact times.
        {QStringLiteral("Placement time error, median size (ms)"),
         medianOf(sizesOf(exactPlacement)), 5.0},
        {QStringLiteral("Placement time error, worst (ms)"), worstOf(exactPlacement), 5.0},
        {QStringLiteral("Placement time error in the protocol, median size (ms)"),
         medianOf(sizesOf(placement)), std::nullopt},
        {QStringLiteral("Placement time error in the protocol, worst (ms)"), worstOf(placement),
         std::nullopt},
        {QStringLiteral("Start key → figures on screen, median (ms)"),
         medianOf(Optional(&RunResult::onsetMs)), std::nullopt},
        {QStringLiteral("Start-up to mapped window, median (ms)"), medianOf(startup), 300.0},
        {QStringLiteral("Start-up to mapped window, worst (ms)"), worstOf(startup), std::nullopt},
        {QStringLiteral("Enter → instruction screen painted, median (ms)"),
         medianOf(Optional(&RunResult::prepareMs)), std::nullopt},
        {QStringLiteral("Peak RSS, worst (MiB)"), worstOf(Optional(&RunResult::peakRssMb)), 80.0},
        {QStringLiteral("Widest bracket of a dated screen change (ms)"), worstOf(bracket),
         std::nullopt},
    };
}

bool TimingTable::Row::met(double value) const
{
    return !limit || (atLeast ? value >= *limit : std::abs(value) <= *limit);
}

QString TimingTable::markdown() const
{
    auto count = [](const QList<RunResult> &runs) {
        const auto done = std::count_if(runs.begin(), runs.end(),
                                        [](const RunResult &r) { return r.error.isEmpty(); });
        return QStringLiteral("%1 of %2").arg(done).arg(runs.size());
    };
    QString text = m_asStarted
        ? QStringLiteral(
            "| Measure | KAVR.IM | jsPsych in Chromium | Peer / KAVR.IM | Target (KAVR.IM) |\n"
            "|---|---:|---:|---:|---|\n")
        : QStringLiteral("| Measure | KAVR.IM, priority granted | KAVR.IM, priority refused | "
                         "jsPsych in Chromium "
                         "| Peer / KAVR.IM, granted | Target (KAVR.IM, granted) |\n"
                         "|---|---:|---:|---:|---:|---|\n");
    auto line = [this](const QString &measure, const QString &granted, const QString &refused,
                       const QString &peer, const QString &ratio, const QString &target) {
        return m_asStarted ? QStringLiteral("| %1 | %2 | %3 | %4 | %5 |\n")
                                 .arg(measure, granted, peer, ratio, target)
                           : QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 |\n")
                                 .arg(measure, granted, refused, peer, ratio, target);
    };
    text += line(QStringLiteral("Runs completed"), count(m_granted), count(m_refused),
                 count(m_peer), {}, {});
    for (const Row &row : rows()) {
        const std::optional<double> ours = row.value(m_granted);
        const std::optional<double> peer = row.value(m_peer);
        QString ratio = QStringLiteral("—");
        // A signed bound's value is no size to compare.
        if (ours && peer && !row.atLeast) {
            // Below the watcher's resolution a ratio means nothing: bound it instead.
            const double floor = 0.1;
            ratio = std::abs(*ours) < floor
                        ? QStringLiteral("≥ %1×").arg(std::abs(*peer) / floor, 0, 'f', 0)
                        : QStringLiteral("%1×").arg(std::abs(*peer) / std::abs(*ours), 0, 'f', 1);
        }
        QString target;
        if (row.limit) {
            target = QStringLiteral("%1 %2")
                         .arg(row.atLeast ? QStringLiteral("≥") : QStringLiteral("≤"))
                         .arg(*row.limit);
            if (ours)
                target += row.met(*ours) ? QStringLiteral(" met") : QStringLiteral(" **missed**");
        }
        text += line(row.measure, Number(ours, 2), Number(row.value(m_refused), 2), Number(peer, 2),
                     ratio, target);
    }
    return text;
}

QStringList TimingTable::missedTargets() const
{
    QStringList missed;
    for (const Row &row : rows()) {
        const std::optional<double> ours = row.value(m_granted);
        if (ours && !row.met(*ours))
            missed << QStringLiteral("%1: %2, target %3 %4")
                          .arg(row.measure, Number(ours, 2),
                               row.atLeast ? QStringLiteral("≥") : QStringLiteral("≤"))
                          .arg(*row.limit);
    }
    return missed;
}

} // namespace kavr::bench
