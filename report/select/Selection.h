#pragma once
// Which protocols a report covers: set-up dates from and to (inclusive), one variant, codes
// matching wildcard patterns (* ? [...], case ignored). Every condition left unset takes all.
// With a date condition, a protocol whose date cannot be read for sure is left out and counted
// (ReportScope.h), never taken on a guess.
#include "report/read/ProtocolDate.h"
#include "report/read/ProtocolRecord.h"

#include <QDate>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <optional>

namespace kavr::report {

class Selection final
{
public:
    std::optional<QDate> since;
    std::optional<QDate> until;
    int variantIndex = -1; // 0 variant A, 1 variant B, -1 both
    QStringList codePatterns; // any one matching takes a code

    enum class Verdict {
        Taken,
        Refused,
        Undated, // taken on every other condition, but its date cannot be read for sure
    };

    bool datesMatter() const { return since || until; }
    Verdict judge(const ProtocolRecord &record, const ProtocolDate &date) const;
    // In words for the reports, e.g. "с 2026-01-01 по 2026-06-30; Вариант A; коды «И*»";
    // "все протоколы" when nothing is chosen.
    QString description() const;

private:
    bool codeTaken(const QString &code) const;

    mutable QList<QRegularExpression> m_compiled; // codePatterns, compiled on first use
};

} // namespace kavr::report
