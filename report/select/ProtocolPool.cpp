#include "report/select/ProtocolPool.h"

namespace kavr::report {

void ProtocolPool::add(const QString &path, ReadOutcome outcome)
{
    if (!outcome.record) {
        m_skipped.append({path, outcome.error});
        return;
    }
    m_dates.append(ReadProtocolDate(outcome.record->dateTime, m_localDateFormat));
    m_records.append(std::move(*outcome.record));
}

ProtocolChoice ProtocolPool::choose(const Selection &selection, bool withNames) const
{
    ProtocolChoice choice;
    ReportScope &scope = choice.scope;
    scope.folder = m_folder;
    scope.files = files();
    scope.read = int(m_records.size());
    scope.selection = selection.description();
    scope.withNames = withNames;
    for (qsizetype i = 0; i < m_records.size(); ++i) {
        const Selection::Verdict verdict = selection.judge(m_records[i], m_dates[i]);
        if (verdict == Selection::Verdict::Undated)
            ++scope.undated;
        if (verdict != Selection::Verdict::Taken)
            continue;
        choice.records.append(m_records[i]);
        if (!withNames)
            choice.records.back().name.clear();
        choice.dates.append(m_dates[i]);
        scope.recovered += m_records[i].recovered;
    }
    scope.selected = int(choice.records.size());
    return choice;
}

} // namespace kavr::report
