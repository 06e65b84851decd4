#pragma once
// Sums up the runs of the program and of the browser peer into one Markdown table, side by
// side with the ratio, and checks the program against its targets.
#include "RunResult.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace kavr::bench {

class TimingTable
{
public:
    void addProgram(const RunResult &run) { m_program << run; }
    void addPeer(const RunResult &run) { m_peer << run; }

    QString markdown() const;
    // One line per target the program missed; empty when it met them all.
    QStringList missedTargets() const;

    static std::optional<double> median(QList<double> values);
    static std::optional<double> worstAbsolute(const QList<double> &values);

private:
    struct Row
    {
        QString measure;
        std::function<std::optional<double>(const QList<RunResult> &)> value;
        std::optional<double> limit; // the program's target on the absolute value
    };
    QList<Row> rows() const;

    QList<RunResult> m_program;
    QList<RunResult> m_peer;
};

} // namespace kavr::bench
