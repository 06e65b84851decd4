#pragma once
// Sums up the runs of the program, with its priority granted and refused, and of the browser
// peer into one Markdown table, side by side with the ratio of the peer to the program granted
// its priority, and checks the program granted its priority against its targets.
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
    // The program's column a run goes into: the priority it was started to be granted or
    // refused.
    enum class Column { Granted, Refused };

    // asStarted: the program's runs could not be refused their priority (under Wine); they
    // form one column of runs as started, checked against the targets.
    explicit TimingTable(bool asStarted = false) : m_asStarted(asStarted) { }

    void addProgram(const RunResult &run, Column column = Column::Granted)
    {
        (column == Column::Granted ? m_granted : m_refused) << run;
    }
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
        std::optional<double> limit; // the program's target: on the absolute value, at most
        bool atLeast = false; // else on the signed value, at least
        bool met(double value) const;
    };
    QList<Row> rows() const;

    bool m_asStarted;
    QList<RunResult> m_granted;
    QList<RunResult> m_refused;
    QList<RunResult> m_peer;
};

} // namespace kavr::bench
