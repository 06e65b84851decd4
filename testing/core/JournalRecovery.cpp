#include "testing/core/JournalRecovery.h"

#include "error/KavrError.h"
#include "testing/core/CodePage.h"
#include "testing/core/JournalReader.h"
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

QByteArray Head(const QString &path, qint64 size)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(size) : QByteArray();
}

// Whether the test's protocol is on disk already: a protocol of its code, in any folder the
// save could have used, that begins with the lines the journal holds (the header's date and
// time and the instruction time make them this test's own); or this very recovered protocol,
// saved by a start that stopped before it could remove the journal.
bool AlreadySaved(const SaveTarget &target, const InterruptedTest &test, const QByteArray &recovered)
{
    for (const QString &dir : Folders(target)) {
        const QStringList lines = FromWindows1251(Head(QDir(dir).filePath(ProtocolFileName(test.code)),
                                                       MaxProtocolBytes))
                                      .split(QStringLiteral("\r\n"));
        if (lines.size() > test.lines.size() && lines.first(test.lines.size()) == test.lines)
            return true;
        for (int n = 1; QFileInfo::exists(QDir(dir).filePath(RecoveredFileName(test.code, n))); ++n) {
            if (Head(QDir(dir).filePath(RecoveredFileName(test.code, n)), recovered.size() + 1) == recovered)
                return true;
        }
    }
    return false;
}

// A lock outlives its journal when the program stops between removing the journal and
// unlocking; left, it would only clutter the folder. Taking it proves its owner gone (a live
// test keeps it until its journal is removed), and letting it go removes the file.
void RemoveOrphanLocks(const QString &dir)
{
    const QString pattern = u'*' + TestJournal::Suffix + TestJournal::LockSuffix;
    for (const QFileInfo &entry : QDir(dir).entryInfoList({pattern}, QDir::Files | QDir::Hidden)) {
        const QString journal = entry.absoluteFilePath().chopped(TestJournal::LockSuffix.size());
        if (QFileInfo::exists(journal))
            continue;
        QLockFile lock(entry.absoluteFilePath());
        lock.setStaleLockTime(TestJournal::StaleLockMs);
        if (lock.tryLock(0))
            lock.unlock();
    }
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
            QLockFile lock(path + TestJournal::LockSuffix);
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
            try {
                const QStringList lines = read.test->protocolLines();
                if (AlreadySaved(target, *read.test, EncodeProtocol(lines))) {
                    if (QFile::remove(path))
                        report.removed << path;
                    continue;
                }
                report.recovered << SaveRecoveredProtocol(target, read.test->code, lines);
            } catch (const KavrError &) {
                report.unreadable << path;
                continue;
            }
            QFile::remove(path);
        }
        RemoveOrphanLocks(dir);
    }
    return report;
}

} // namespace kavr
