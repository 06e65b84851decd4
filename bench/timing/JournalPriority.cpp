#include "JournalPriority.h"

#include "testing/core/JournalLine.h"
#include "testing/core/TestJournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kavr::bench {

namespace {

const QString PriorityEvent = QStringLiteral("priority");
const QString Granted = QStringLiteral("granted");
const QString Refused = QStringLiteral("refused");

} // namespace

JournalPriority ReadJournalPriority(const QString &resultDir, const QString &code)
{
    JournalPriority priority;
    QFileInfo newest;
    for (int n = 1; n <= TestJournal::MaxJournalNumber; ++n) {
        const QFileInfo journal(QDir(resultDir).filePath(JournalFileName(code, n)));
        if (journal.isFile()
            && (!newest.exists() || journal.lastModified() >= newest.lastModified()))
            newest = journal;
    }
    QFile file(newest.filePath());
    if (!newest.exists() || !file.open(QIODevice::ReadOnly)) {
        priority.note = QStringLiteral("no journal of %1 in %2").arg(code, resultDir);
        return priority;
    }
    priority.journal = newest.filePath();
    for (const QByteArray &line : file.readAll().split('\n')) {
        const std::optional<QStringList> fields = journal::DecodeLine(line);
        if (!fields || fields->isEmpty() || fields->first() != PriorityEvent)
            continue;
        if (fields->size() >= 4 && (fields->at(3) == Granted || fields->at(3) == Refused)) {
            priority.state = fields->at(3);
            priority.note = fields->mid(4).join(QLatin1Char(' '));
        } else {
            priority.note = QStringLiteral("a priority line the bench cannot read: %1")
                                .arg(fields->join(QLatin1Char(' ')));
        }
        return priority;
    }
    priority.note = QStringLiteral("no priority line in %1").arg(newest.fileName());
    return priority;
}

} // namespace kavr::bench
