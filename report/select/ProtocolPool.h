#pragma once
// The protocols of a folder read once, for a report whose choice changes while it is open (the
// report window): every record with its date read once, and the files that could not be read
// with why. The choice is made again from them whenever a condition changes.
#include "report/read/ProtocolDate.h"
#include "report/read/ProtocolReader.h"
#include "report/read/ProtocolRecord.h"
#include "report/select/ReportScope.h"
#include "report/select/Selection.h"

#include <QList>
#include <QString>

namespace kavr::report {

struct SkippedFile
{
    QString path;
    ReadError error;
};

// The protocols a choice takes, in the folder's order, with their dates.
struct ProtocolChoice
{
    QList<ProtocolRecord> records; // names emptied when the choice is without names
    QList<ProtocolDate> dates;
    ReportScope scope;
};

class ProtocolPool final
{
public:
    ProtocolPool() = default;
    // folderShown: the folder as the reports name it; localDateFormat: the short date format
    // of the regional settings (ReadProtocolDate).
    ProtocolPool(const QString &folderShown, const QString &localDateFormat)
        : m_folder(folderShown),
          m_localDateFormat(localDateFormat)
    {
    }

    // One protocol file's outcome, in the folder's order.
    void add(const QString &path, ReadOutcome outcome);

    int files() const { return int(m_records.size() + m_skipped.size()); }
    const QList<SkippedFile> &skipped() const { return m_skipped; }
    ProtocolChoice choose(const Selection &selection, bool withNames) const;

private:
    QString m_folder;
    QString m_localDateFormat;
    QList<ProtocolRecord> m_records;
    QList<ProtocolDate> m_dates;
    QList<SkippedFile> m_skipped;
};

} // namespace kavr::report
