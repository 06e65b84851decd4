#include "testing/core/JournalRecovery.h"

#include "error/KavrError.h"
#include "platform/files/FileAccess.h"
#include "platform/files/FileLock.h"
#include "testing/core/CodePage.h"
#include "testing/core/JournalReader.h"
#include "testing/core/Protocol.h"
#include "testing/core/TestJournal.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

namespace kavr {

namespace {

using platform::FileError;
using platform::FileKind;
using platform::FileLock;
using Kind = RecoveryReport::Kind;

constexpr int MaxNoticeLines = 3;
constexpr qint64 MaxJournalBytes = 1 << 20; // a test writes a few kilobytes
constexpr qint64 MaxProtocolBytes = 1 << 20;
// How long this start waits for a lock another start moved aside to come back or go: its own,
// and another's (shorter than RemoveOpenFile tries to put one back, so that one can).
constexpr int MaxOwnAsideMs = 1'000;
constexpr int MaxOtherAsideMs = 300;

QString Join(const QString &dir, const QString &name)
{
    return QDir::cleanPath(QDir(dir).absoluteFilePath(name));
}

QString WhatItIs(FileKind kind)
{
    switch (kind) {
    case FileKind::Link: return QStringLiteral("ссылка");
    case FileKind::Directory: return QStringLiteral("папка");
    case FileKind::Special: return QStringLiteral("не обычный файл");
    case FileKind::Missing:
    case FileKind::Regular: break;
    }
    return QStringLiteral("не журнал");
}

// Each folder once, however it is named; only folders that exist (the private one only while
// it is the user's own).
QStringList Folders(const SaveTarget &target)
{
    QStringList folders;
    QStringList seen;
    for (const QString &dir : target.folders()) {
        if (dir == target.privateDir && !platform::UsablePrivateFolder(dir, false))
            continue;
        const QString canonical = QFileInfo(dir).canonicalFilePath();
        if (canonical.isEmpty() || seen.contains(canonical))
            continue;
        seen << canonical;
        folders << dir;
    }
    return folders;
}

class Recovery
{
public:
    Recovery(const SaveTarget &target, const std::atomic<bool> *stop)
        : m_target(target),
          m_folders(Folders(target)),
          m_stop(stop)
    {
    }

    RecoveryReport run()
    {
        const QString journals = u'*' + TestJournal::Suffix;
        const QString locks = journals + TestJournal::LockSuffix;
        for (const QString &dir : m_folders) {
            FileLock::clearLeftovers(dir, QString(TestJournal::Suffix + TestJournal::LockSuffix));
            finishKilledSaves(dir);
            // Names only: nothing found is opened, or even looked into, before it is known to be
            // a regular file.
            const QDir folder(dir);
            const auto names = [&](const QString &pattern) {
                return folder.entryList({pattern}, QDir::AllEntries | QDir::System | QDir::Hidden
                                                       | QDir::NoDotAndDotDot, QDir::Name);
            };
            for (const QString &name : names(journals))
                if (examined())
                    recover(dir, Join(dir, name));
            for (const QString &name : names(locks))
                if (examined())
                    removeOrphanLock(Join(dir, name));
        }
        if (m_postponed > 0)
            m_report.entries << RecoveryReport::Entry{Kind::Postponed, {}, {}, m_postponed};
        return m_report;
    }

private:
    // Counts one more name examined; false once this start has done its share, or is told to
    // stop (the program is closing: the rest waits for the next start).
    bool examined()
    {
        if (m_examined >= MaxExaminedPerStart || (m_stop && *m_stop)) {
            ++m_postponed;
            return false;
        }
        ++m_examined;
        return true;
    }

    void foreign(const QString &path, FileKind kind)
    {
        if (!m_named.contains(path)) {
            m_named << path;
            m_report.entries << RecoveryReport::Entry{Kind::Foreign, path, WhatItIs(kind)};
        }
    }

    void recover(const QString &dir, const QString &path)
    {
        const FileKind kind = platform::InspectFile(path).kind;
        if (kind == FileKind::Missing)
            return; // its test ended, or another start recovered it, since the folder was listed
        if (kind != FileKind::Regular) {
            foreign(path, kind);
            return;
        }
        const QString lockPath = path + TestJournal::LockSuffix;
        FileLock::Claim claim = FileLock::examine(lockPath);
        FileError error;
        switch (claim.state()) {
        case FileLock::Claim::State::Held:
            // Its test is running, here or on another workstation (or a machine the file server
            // still believes alive): named, whatever workstation the lock names, since two may
            // bear one name.
            m_report.entries << RecoveryReport::Entry{Kind::Undecided, path, claim.host()};
            return;
        case FileLock::Claim::State::NoAccess:
            m_report.entries << RecoveryReport::Entry{
                Kind::Unreadable, path,
                QStringLiteral("нет прав на чтение файла блокировки %1")
                    .arg(QFileInfo(lockPath).fileName())};
            return;
        case FileLock::Claim::State::Undecided:
            m_report.entries << RecoveryReport::Entry{Kind::Undecided, path, claim.host()};
            return;
        case FileLock::Claim::State::NotALock: foreign(lockPath, claim.kind()); return;
        case FileLock::Claim::State::Abandoned:
            if (!claim.remove(&error)) {
                notRecovered(path, error); // NotFound: another start took it first
                return;
            }
            break;
        case FileLock::Claim::State::Missing: break;
        }
        // Held while the journal is read and replaced, so that a second start recovers it not
        // twice; it goes when this returns.
        const platform::FileSharing sharing = dir == m_target.resultDir ? platform::FileSharing::Folder
                                                                        : platform::FileSharing::Owner;
        const std::unique_ptr<FileLock> own = FileLock::create(lockPath, sharing, &error);
        if (!own) {
            if (error.code != FileError::Code::Exists) // else another start is recovering it
                notRecovered(path, error);
            return;
        }
        if (!ownLockStands(dir, lockPath, *own)) {
            ++m_postponed;
            return;
        }
        const platform::FileRead file = platform::ReadRegularFile(path, MaxJournalBytes);
        if (file.error.code == FileError::Code::NotFound)
            return; // recovered by another start meanwhile
        if (file.error.code == FileError::Code::NotRegular) {
            foreign(path, platform::InspectFile(path).kind);
            return;
        }
        const JournalReadOutcome read = file.error ? JournalReadOutcome{} : ReadJournal(file.bytes);
        if (read.empty && platform::RemoveFile(path, file.identity)) {
            m_report.entries << RecoveryReport::Entry{Kind::Emptied, path};
            return;
        }
        if (!read.test) {
            m_report.entries << RecoveryReport::Entry{
                Kind::Unreadable, path,
                read.newer ? QStringLiteral("журнал записан более новой версией программы")
                           : file.error.reason};
            return;
        }
        try {
            const InterruptedTest &test = *read.test;
            const QStringList lines = test.protocolLines();
            const QByteArray bytes = EncodeProtocol(lines);
            QString recovered = recoveredBefore(test.code(), bytes);
            // A journal read to its end goes once a protocol that holds all of it is on disk. A
            // damaged one never goes: what follows the damage is more than any protocol shows.
            const bool damaged = read.damagedLine > 0;
            if (!damaged && !recovered.isEmpty()) {
                // An earlier start was stopped between writing it and removing the journal, and
                // so before it told anyone: the operator learns of it now.
                if (platform::RemoveFile(path, file.identity))
                    m_report.entries << RecoveryReport::Entry{Kind::Recovered, recovered};
                return;
            }
            QStringList unread; // what the operator is told besides: why it is where it is
            if (!damaged && savedProtocolHolds(test, bytes, dir, unread)) {
                if (platform::RemoveFile(path, file.identity))
                    m_report.removed << path;
                return;
            }
            if (recovered.isEmpty()) {
                if (m_recoveries >= MaxRecoveriesPerStart) {
                    ++m_postponed;
                    return;
                }
                ++m_recoveries;
                QString notInResult;
                recovered = SaveRecoveredProtocol(m_target, test.code(), lines, &notInResult);
                if (!notInResult.isEmpty())
                    unread << QStringLiteral("в папку Result записать не удалось: ") + notInResult;
            }
            if (!damaged) {
                platform::RemoveFile(path, file.identity);
                m_report.entries << RecoveryReport::Entry{Kind::Recovered, recovered,
                                                          unread.join(QStringLiteral("; "))};
                return;
            }
            // Kept for whoever maintains the program, under a name no start reads again.
            const QString kept = keepDamaged(path);
            m_report.entries << RecoveryReport::Entry{Kind::RecoveredInPart, recovered, kept.isEmpty() ? path : kept,
                                                      read.damagedLine};
        } catch (const KavrError &) {
            m_report.entries << RecoveryReport::Entry{Kind::Unreadable, path};
        }
    }

    // Whether own is still the lock at lockPath, nothing else moved aside from it. Another start
    // moves a lock to a name of its own for a moment: to give it back or take it (it then goes
    // at once), or to find it was not the one it examined (RemoveOpenFile, which puts it back as
    // soon as the name is free). Should this start's own lock be moved, it comes back; should
    // another's stay aside, its name only looked free: this start gives way, its lock goes, that
    // one returns, and the journal waits for the next start.
    static bool ownLockStands(const QString &dir, const QString &lockPath, const FileLock &own)
    {
        const QString lockName = QFileInfo(lockPath).fileName();
        for (int waitedMs = 0;; waitedMs += 10) {
            bool others = false, mine = false;
            for (const QString &name : platform::TemporaryFilesOf(
                     QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System), lockName)) {
                const platform::FileIdentity moved = platform::FinalNameOf(name) == lockName
                    ? platform::IdentityAt(Join(dir, name))
                    : platform::FileIdentity{};
                if (moved.valid && moved == own.identity())
                    mine = true;
                else if (moved.valid)
                    others = true; // else back under its name, or gone, since the folder was listed
            }
            if (!mine && !others)
                return true;
            if ((others && waitedMs >= MaxOtherAsideMs) || waitedMs >= MaxOwnAsideMs)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    // A journal left in place because its lock or the folder refused: named, unless another
    // start took it first.
    void notRecovered(const QString &path, const FileError &error)
    {
        if (error.code != FileError::Code::NotFound)
            m_report.entries << RecoveryReport::Entry{Kind::Unreadable, path, error.reason};
    }

    // Whether a protocol of the test's code, in any folder the save could have used, holds all
    // the journal does: its subject line (code, name, date and time: this test's own), every
    // protocol line the journal holds, and every record it placed; or, when the journal holds
    // the end (the save after it succeeded and the program stopped before it could remove the
    // journal), the whole protocol as it ended.
    // ended: the protocol as the journal has it, encoded.
    // A protocol in a folder emptied at the machine's start holds nothing for a journal that
    // outlives it.
    // unread: the protocols of the code that could not be read, and why, for the operator.
    bool savedProtocolHolds(const InterruptedTest &test, const QByteArray &ended,
                            const QString &journalDir, QStringList &unread)
    {
        if (!test.identified())
            return false;
        const bool journalLasts = platform::FolderSurvivesRestart(journalDir);
        for (const QString &dir : m_folders) {
            if (journalLasts && !platform::FolderSurvivesRestart(dir))
                continue;
            const QString protocolPath = Join(dir, ProtocolFileName(test.code()));
            const platform::FileRead protocol = platform::ReadRegularFile(protocolPath, MaxProtocolBytes);
            if (protocol.error.code == FileError::Code::NotRegular)
                foreign(protocolPath, platform::InspectFile(protocolPath).kind);
            else if (protocol.error && protocol.error.code != FileError::Code::NotFound)
                unread << QStringLiteral("сохранённый протокол %1 прочитать не удалось: %2")
                              .arg(QDir::toNativeSeparators(protocolPath), protocol.error.reason);
            if (protocol.error)
                continue;
            if (test.finished) {
                if (protocol.bytes == ended)
                    return true;
                continue;
            }
            const QStringList lines = FromWindows1251(protocol.bytes).split(QStringLiteral("\r\n"));
            bool holds = lines.size() > test.state.ResultLog.size()
                && lines.first(test.state.ResultLog.size()) == test.state.ResultLog;
            for (int i = 1; holds && i < test.state.ChoiceNo && IsFigureNumber(i); ++i)
                holds = lines.contains(protocol::RowLine(i, test.state.Choices[i], test.settings));
            if (holds)
                return true;
        }
        return false;
    }

    // This very recovered protocol, saved by a start that stopped before it could remove or
    // keep the journal; empty when there is none.
    QString recoveredBefore(const QString &code, const QByteArray &recovered)
    {
        for (const QString &dir : m_folders) {
            for (int n = 1; n <= MaxRecoveredNumber; ++n) {
                const QString path = Join(dir, RecoveredFileName(code, n));
                const FileKind kind = platform::InspectFile(path).kind;
                if (kind == FileKind::Missing)
                    break;
                if (kind != FileKind::Regular)
                    foreign(path, kind);
                else if (platform::ReadRegularFile(path, recovered.size()).bytes == recovered)
                    return path;
            }
        }
        return {};
    }

    // Moves a damaged journal to the first free name of its kept copies; empty when none takes
    // it.
    static QString keepDamaged(const QString &path)
    {
        const QFileInfo journal(path);
        for (int n = 1; n <= MaxRecoveredNumber; ++n) {
            const QString kept = Join(journal.absolutePath(), DamagedJournalFileName(journal.fileName(), n));
            const FileError error = platform::RenameFile(path, kept, platform::Replace::Never);
            if (!error)
                return kept;
            if (error.code != FileError::Code::Exists)
                break;
        }
        return {};
    }

    // A lock outlives its journal when the program stops between removing the journal and
    // unlocking; left, it would only clutter the folder.
    void removeOrphanLock(const QString &lockPath)
    {
        const QString journal = lockPath.chopped(TestJournal::LockSuffix.size());
        if (platform::InspectFile(journal).kind != FileKind::Missing)
            return; // examined with its journal
        FileLock::Claim claim = FileLock::examine(lockPath);
        if (claim.state() == FileLock::Claim::State::NotALock)
            foreign(lockPath, claim.kind());
        else
            claim.remove(); // only when abandoned
    }

    // A save killed between its write and its rename leaves the whole protocol under a temporary
    // name, forever, with the subject's name in it. A protocol's is given the name it was to have
    // where that is free, else removed when the file there is the same, else kept as a recovered
    // protocol: never lost, since no journal need hold it any more. A recovered protocol's goes:
    // its journal is still there, and is recovered again.
    void finishKilledSaves(const QString &dir)
    {
        const QString protocolSuffix = ProtocolFileName(QString());
        for (const QString &path :
             FileLock::staleTemporaries(dir, {RecoveredSuffix.toString(), protocolSuffix})) {
            const QString finalName = platform::FinalNameOf(QFileInfo(path).fileName());
            if (finalName.endsWith(RecoveredSuffix)) {
                platform::RemoveFile(path, platform::IdentityAt(path));
                continue;
            }
            const QString code = finalName.chopped(protocolSuffix.size());
            const QString target = Join(dir, finalName);
            const platform::FileRead saved = platform::ReadRegularFile(path, MaxProtocolBytes);
            if (saved.error)
                continue;
            if (!platform::RenameFile(path, target, platform::Replace::Never))
                continue;
            if (platform::ReadRegularFile(target, MaxProtocolBytes).bytes == saved.bytes) {
                platform::RemoveFile(path, saved.identity);
                continue;
            }
            for (int n = 1; n <= MaxRecoveredNumber; ++n) {
                const platform::FileError error = platform::RenameFile(
                    path, Join(dir, RecoveredFileName(code, n)), platform::Replace::Never);
                if (!error) {
                    m_report.entries << RecoveryReport::Entry{
                        Kind::Recovered, Join(dir, RecoveredFileName(code, n))};
                    break;
                }
                if (error.code != FileError::Code::Exists)
                    break;
            }
        }
    }

    const SaveTarget &m_target;
    const QStringList m_folders;
    const std::atomic<bool> *m_stop;
    RecoveryReport m_report;
    QStringList m_named;
    int m_examined = 0;
    int m_recoveries = 0;
    int m_postponed = 0;
};

// Where the operator reads the notice first: what was recovered, then what needs a look.
int Rank(Kind kind)
{
    switch (kind) {
    case Kind::Recovered: return 0;
    case Kind::RecoveredInPart: return 1;
    case Kind::Emptied: return 2;
    case Kind::Unreadable: return 3;
    case Kind::Undecided: return 4;
    case Kind::Foreign: return 5;
    case Kind::Postponed: return 6;
    }
    return 7;
}

} // namespace

QStringList RecoveryReport::paths(Kind kind) const
{
    QStringList found;
    for (const Entry &entry : entries)
        if (entry.kind == kind)
            found << entry.path;
    return found;
}

QStringList RecoveryReport::noticeLines(const QString &resultDir) const
{
    const QString result = resultDir.isEmpty() ? QString() : QFileInfo(resultDir).absoluteFilePath();
    const auto shown = [&result](const QString &path) {
        const QFileInfo file(path);
        return !result.isEmpty() && file.absolutePath() == result ? file.fileName() : QDir::toNativeSeparators(path);
    };
    QList<Entry> sorted = entries;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Entry &a, const Entry &b) { return Rank(a.kind) < Rank(b.kind); });
    QStringList lines;
    for (const Entry &entry : std::as_const(sorted)) {
        switch (entry.kind) {
        case Kind::Recovered:
            lines << QStringLiteral("Восстановлен протокол прерванного теста: ") + shown(entry.path)
                    + (entry.detail.isEmpty() ? QString() : u" (" + entry.detail + u')');
            break;
        case Kind::RecoveredInPart:
            lines << QStringLiteral("Восстановлен протокол прерванного теста до строки %1 журнала, дальше журнал "
                                    "повреждён (он сохранён как %2): %3")
                         .arg(entry.line - 1)
                         .arg(shown(entry.detail), shown(entry.path));
            break;
        case Kind::Emptied:
            lines << QStringLiteral("Тест прерван в самом начале, журнал пуст и удалён: ") + shown(entry.path);
            break;
        case Kind::Unreadable:
            lines << QStringLiteral("Не удалось восстановить протокол из журнала: ") + shown(entry.path)
                    + (entry.detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(entry.detail));
            break;
        case Kind::Undecided:
            lines << QStringLiteral("Журнал оставлен: тест, возможно, ещё идёт на рабочем месте %1: %2")
                         .arg(entry.detail.isEmpty() ? QStringLiteral("(не названо)") : entry.detail,
                              shown(entry.path));
            break;
        case Kind::Foreign:
            lines << QStringLiteral("Оставлен без внимания посторонний файл (%1): %2")
                         .arg(entry.detail, shown(entry.path));
            break;
        case Kind::Postponed:
            lines << QStringLiteral("Ещё журналов: %1; они будут разобраны при следующем запуске").arg(entry.line);
            break;
        }
    }
    if (lines.size() > MaxNoticeLines) {
        const qsizetype more = lines.size() - MaxNoticeLines;
        lines = lines.first(MaxNoticeLines);
        lines << QStringLiteral("и ещё %1").arg(more);
    }
    return lines;
}

QStringList RecoveryReport::carriedLines() const
{
    RecoveryReport done;
    for (const Entry &entry : entries)
        if (entry.kind == Kind::Recovered || entry.kind == Kind::RecoveredInPart
            || entry.kind == Kind::Emptied)
            done.entries << entry;
    return done.noticeLines({});
}

RecoveryReport RecoverJournals(const SaveTarget &target, const std::atomic<bool> *stop)
{
    return Recovery(target, stop).run();
}

} // namespace kavr
