#include "testing/core/TestJournal.h"

#include "platform/files/FileAccess.h"
#include "platform/files/FileLock.h"
#include "platform/files/OwnedFile.h"
#include "testing/core/JournalLine.h"

#include <QDir>
#include <QFileInfo>

#include <chrono>
#include <utility>

namespace kavr {

namespace {

using platform::FileError;
using platform::FileLock;

QString Exact(double seconds)
{
    return QString::number(seconds, 'g', 17);
}

QString Wall(const QDateTime &wall)
{
    return wall.toString(Qt::ISODateWithMs);
}

QStringList Event(QStringView kind, qint64 ms, const QDateTime &wall)
{
    return {kind.toString(), QString::number(ms), Wall(wall)};
}

} // namespace

QString JournalFileName(const QString &code, int n)
{
    return (n > 1 ? QStringLiteral("%1 (%2)").arg(code).arg(n) : code) + TestJournal::Suffix;
}

QString DamagedJournalFileName(const QString &journalFileName, int n)
{
    return (n > 1 ? QStringLiteral("%1 (%2)").arg(journalFileName).arg(n) : journalFileName) + TestJournal::DamagedSuffix;
}

TestJournal::TestJournal(FileSync sync, int heartbeatMs)
    : m_sync(std::move(sync)),
      m_heartbeatMs(heartbeatMs)
{
}

TestJournal::~TestJournal()
{
    stopWorker();
}

bool TestJournal::begin(const SaveTarget &target, const QString &code,
                        const FormatSettings &settings, const QStringList &lines,
                        const QString &variant, qint64 ms, const QDateTime &wall)
{
    if (m_lock || code.isEmpty() || code.contains(u'/') || code.contains(u'\\'))
        return false;
    for (const QString &dir : target.folders())
        if (UsableSaveFolder(target, dir) && create(target, dir, code))
            break;
    if (!m_file) {
        m_problem = QStringLiteral("журнал теста не удалось создать");
        return false;
    }

    QByteArray bytes = journal::EncodeLine({journal::Magic.toString()});
    QStringList start = Event(journal::StartEvent, ms, wall);
    start << code << settings.decimalSeparator << settings.shortDateFormat << settings.longTimeFormat;
    bytes += journal::EncodeLine(start);
    for (const QString &line : lines)
        bytes += journal::EncodeLine(Event(journal::LineEvent, ms, wall) << line);
    bytes += journal::EncodeLine(Event(journal::VariantEvent, ms, wall) << variant);
    m_stop = false;
    m_dirty = false;
    m_writable = true;
    m_worker = std::thread(
        [this, handle = m_file.get(), folder = QFileInfo(m_path).absolutePath()] {
            syncLoop(handle, folder);
        });
    write(bytes);
    if (!isOpen())
        discard(); // not even the start could be written: nothing worth keeping
    return isOpen();
}

// The first free journal of code in dir, with its lock; false when the folder takes none.
bool TestJournal::create(const SaveTarget &target, const QString &dir, const QString &code)
{
    const platform::FileSharing sharing = dir == target.resultDir ? platform::FileSharing::Folder
                                                                  : platform::FileSharing::Owner;
    for (int n = 1; n <= MaxJournalNumber; ++n) {
        const QString path = QDir::cleanPath(QDir(dir).absoluteFilePath(JournalFileName(code, n)));
        // The lock first: whoever finds the journal finds it locked. A name taken by anything
        // (another test's lock, a FIFO, a link) is passed by, never opened.
        FileError error;
        auto lock = FileLock::create(path + LockSuffix, sharing, &error);
        if (!lock) {
            if (error.code == FileError::Code::Exists)
                continue;
            return false; // the folder does not take the lock
        }
        platform::OwnedFile file = platform::CreateNewFile(path, sharing, &error);
        if (!file) {
            if (error.code == FileError::Code::Exists)
                continue; // left by an earlier test and not yet recovered; the lock goes
            return false;
        }
        m_path = path;
        m_identity = platform::IdentityOf(file.get());
        m_file = std::move(file);
        m_lock = std::move(lock);
        return true;
    }
    return false;
}

void TestJournal::logLines(const QStringList &lines, qint64 ms, const QDateTime &wall)
{
    if (!isOpen() || lines.isEmpty())
        return;
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += journal::EncodeLine(Event(journal::LineEvent, ms, wall) << line);
    write(bytes);
}

void TestJournal::variant(const QString &text, qint64 ms, const QDateTime &wall)
{
    if (isOpen())
        write(journal::EncodeLine(Event(journal::VariantEvent, ms, wall) << text));
}

void TestJournal::priority(bool granted, const QString &how, qint64 ms, const QDateTime &wall)
{
    if (isOpen())
        write(journal::EncodeLine(Event(journal::PriorityEvent, ms, wall)
                                  << (granted ? journal::Granted : journal::Refused).toString()
                                  << how));
}

void TestJournal::answerBegan(qint64 ms, const QDateTime &wall)
{
    if (isOpen())
        write(journal::EncodeLine(Event(journal::AnswerEvent, ms, wall)));
}

void TestJournal::pick(int choiceNo, const ChoiceRecord &record, qint64 ms, const QDateTime &wall)
{
    if (isOpen())
        write(journal::EncodeLine(Event(journal::PickEvent, ms, wall)
                                  << QString::number(choiceNo) << QString::number(record.PictureNo)
                                  << QString::number(record.Answer)));
}

void TestJournal::place(int choiceNo, const ChoiceRecord &record, qint64 ms, const QDateTime &wall)
{
    if (isOpen())
        write(journal::EncodeLine(Event(journal::PlaceEvent, ms, wall)
                                  << QString::number(choiceNo) << QString::number(record.PanelNo)
                                  << QString::number(record.Key)
                                  << QString::number(record.Time, 'g', 17)));
}

void TestJournal::finish(double answerSeconds, int choiceNo, const ChoiceRecord &record, qint64 ms,
                         const QDateTime &wall)
{
    if (isOpen())
        write(journal::EncodeLine(Event(journal::FinishEvent, ms, wall)
                                  << Exact(answerSeconds) << QString::number(choiceNo)
                                  << Exact(IsFigureNumber(choiceNo) ? record.Time : 0.0)));
}

TestJournal::Durability TestJournal::durability()
{
    const std::lock_guard guard(m_mutex);
    return {m_lock && m_problem.isEmpty(), m_problem};
}

void TestJournal::discard()
{
    if (!m_lock)
        return;
    stopWorker();
    // The journal and the lock go only while they are this test's: should another workstation
    // have taken this test for abandoned, a newer journal of the same name stays.
    platform::RemoveFile(m_path, m_identity);
    m_file.reset();
    m_writable = false;
    m_lock.reset();
}

void TestJournal::write(const QByteArray &bytes)
{
    // Straight to the system, in one piece, which keeps it should the process die.
    const platform::FileError error = platform::AppendToFile(m_file.get(), bytes);
    if (error) {
        // Nothing more is written, so the journal never has a hole; what it holds stays, and
        // stays locked, its lock beating, for a recovery should the protocol not be saved either.
        m_writable = false;
        const std::lock_guard guard(m_mutex);
        if (m_problem.isEmpty())
            m_problem = QStringLiteral("журнал теста не удалось дописать (%1)").arg(error.reason);
        return;
    }
    {
        const std::lock_guard guard(m_mutex);
        m_dirty = true;
    }
    m_wake.notify_one();
}

void TestJournal::stopWorker()
{
    if (!m_worker.joinable())
        return;
    {
        const std::lock_guard guard(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    m_worker.join();
}

void TestJournal::syncLoop(int handle, const QString &folder)
{
    // The journal's and the lock's names survive a power cut only once their folder is synced.
    if (m_sync)
        platform::SyncFolder(folder);
    std::unique_lock guard(m_mutex);
    auto nextBeat = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_heartbeatMs);
    for (;;) {
        m_wake.wait_until(guard, nextBeat, [this] { return m_dirty || m_stop; });
        if (m_stop && !m_dirty)
            return; // stopped with everything synced
        const bool dirty = std::exchange(m_dirty, false);
        const bool beat = std::chrono::steady_clock::now() >= nextBeat;
        guard.unlock();
        const bool synced = !dirty || !m_sync || m_sync(handle);
        // The journal under its name too: placements must not go on into a file another start
        // has recovered and removed.
        const bool alive = !beat
            || (m_lock->heartbeat() && platform::IdentityAt(m_path) == m_identity);
        guard.lock();
        if (!synced && m_problem.isEmpty())
            m_problem = QStringLiteral("журнал теста не удалось надёжно записать на диск");
        if (!alive && m_problem.isEmpty())
            m_problem = QStringLiteral("блокировка журнала теста потеряна (тест мог быть восстановлен на другом рабочем месте)");
        if (beat)
            nextBeat = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_heartbeatMs);
    }
}

} // namespace kavr
