#include "testing/core/JournalRecovery.h"

#include "testing/core/CodePage.h"
#include "testing/core/JournalReader.h"
#include "testing/core/KavrError.h"
#include "testing/core/TestJournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

namespace kavr {

namespace {

constexpr int MaxNoticeLines = 3;
constexpr qint64 MaxJournalBytes = 1 << 20; // a test writes a few kilobytes
constexpr qint64 MaxProtocolBytes = 1 << 20;

QStringList Folders(const SaveTarget &target)
{
    QStringList folders;
    QStringList seen;
    for (const QString &dir : QStringList{target.resultDir} + target.fallbackDirs) {
        const QString canonical = QFileInfo(dir).canonicalFilePath();
        if (dir.isEmpty() || canonical.isEmpty() || seen.contains(canonical))
            continue;
        seen << canonical;
        folders << dir;
    }
    return folders;
}

// Whether a protocol of the test's code, in any folder the save could have used, begins with
// the lines the journal holds: the header's date and time and the instruction time make them
// this test's own.
bool AlreadySaved(const SaveTarget &target, const InterruptedTest &test)
{
    for (const QString &dir : Folders(target)) {
        QFile file(QDir(dir).filePath(ProtocolFileName(test.code)));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QStringList lines = FromWindows1251(file.read(MaxProtocolBytes)).split(QStringLiteral("\r\n"));
        if (lines.size() > test.lines.size() && lines.first(test.lines.size()) == test.lines)
            return true;
    }
    return false;
}

} // namespace

QStringList RecoveryReport::noticeLines(const QString &resultDir) const
{
    const QString result = QFileInfo(resultDir).absoluteFilePath();
    QStringList lines;
    for (const QString &path : recovered) {
        const QFileInfo file(path);
        lines << QStringLiteral("Восстановлен протокол прерванного теста: ")
                + (file.absolutePath() == result ? file.fileName() : QDir::toNativeSeparators(path));
    }
    for (const QString &path : unreadable)
        lines << QStringLiteral("Не удалось восстановить протокол из журнала: ")
                + QDir::toNativeSeparators(path);
    if (lines.size() > MaxNoticeLines) {
        const qsizetype more = lines.size() - MaxNoticeLines;
        lines = lines.first(MaxNoticeLines);
        lines << QStringLiteral("и ещё %1").arg(more);
    }
    return lines;
}

RecoveryReport RecoverJournals(const SaveTarget &target)
{
    RecoveryReport report;
    const QString pattern = u'*' + TestJournal::Suffix.toString();
    for (const QString &dir : Folders(target)) {
        for (const QFileInfo &entry : QDir(dir).entryInfoList({pattern}, QDir::Files | QDir::Hidden, QDir::Name)) {
            const QString path = entry.absoluteFilePath();
            QLockFile lock(path + QStringLiteral(".lock"));
            lock.setStaleLockTime(TestJournal::StaleLockMs);
            if (!lock.tryLock(0))
                continue; // its test is still running
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly) || file.size() > MaxJournalBytes) {
                report.unreadable << path;
                continue;
            }
            const JournalReadOutcome read = ReadJournal(file.readAll());
            file.close();
            if (!read.test) {
                report.unreadable << path;
                continue;
            }
            if (AlreadySaved(target, *read.test)) {
                if (QFile::remove(path))
                    report.removed << path;
                continue;
            }
            try {
                report.recovered << SaveRecoveredProtocol(target, read.test->code,
                                                          read.test->protocolLines());
            } catch (const KavrError &) {
                report.unreadable << path;
                continue;
            }
            QFile::remove(path);
        }
    }
    return report;
}

} // namespace kavr
