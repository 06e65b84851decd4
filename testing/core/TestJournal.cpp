#include "testing/core/TestJournal.h"

#include "testing/core/JournalLine.h"

#include <QDir>
#include <QFileInfo>

namespace kavr {

namespace {

// A handful of tests of one code at once is already more than a lab runs.
constexpr int MaxJournalNumber = 99;

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

TestJournal::TestJournal(FileSync sync) : m_sync(std::move(sync))
{
}

TestJournal::~TestJournal()
{
    stopWorker();
    m_file.close();
}

bool TestJournal::begin(const SaveTarget &target, const QString &code,
                        const FormatSettings &settings, const QStringList &lines,
                        const QString &variant, qint64 ms, const QDateTime &wall)
{
    if (m_lock || code.contains(u'/') || code.contains(u'\\'))
        return false;
    QStringList dirs{target.resultDir};
    dirs << target.fallbackDirs;
    for (qsizetype d = 0; d < dirs.size() && !isOpen(); ++d) {
        const QString &dir = dirs.at(d);
        if (dir.isEmpty() || !(d == 0 ? QDir().mkpath(dir) : QFileInfo(dir).isDir()))
            continue;
        for (int n = 1; n <= MaxJournalNumber && !isOpen(); ++n) {
            const QString path = QDir(dir).filePath(JournalFileName(code, n));
            // The lock first: whoever finds the journal finds it locked.
            auto lock = std::make_unique<QLockFile>(path + LockSuffix);
            lock->setStaleLockTime(StaleLockMs);
            if (!lock->tryLock(0)) {
                if (lock->error() == QLockFile::LockFailedError)
                    continue; // another test of this code is being journaled there
                break; // the folder does not take the lock: try the next one
            }
            m_file.setFileName(path);
            if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
                m_lock = std::move(lock);
            } else if (QFileInfo::exists(path)) {
                continue; // left by an earlier test and not yet recovered
            } else {
                break;
            }
        }
    }
    if (!isOpen())
        return false;

    QByteArray bytes = journal::EncodeLine({journal::Magic.toString()});
    QStringList start = Event(journal::StartEvent, ms, wall);
    start << code << settings.decimalSeparator << settings.shortDateFormat << settings.longTimeFormat;
    bytes += journal::EncodeLine(start);
    for (const QString &line : lines)
        bytes += journal::EncodeLine(Event(journal::LineEvent, ms, wall) << line);
    bytes += journal::EncodeLine(Event(journal::VariantEvent, ms, wall) << variant);
    m_stop = false;
    m_dirty = false;
    m_worker = std::thread([this, handle = m_file.handle()] { syncLoop(handle); });
    write(bytes);
    if (!isOpen())
        discard(); // not even the start could be written: nothing worth keeping
    return isOpen();
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

void TestJournal::discard()
{
    if (!m_lock)
        return;
    stopWorker();
    m_file.close();
    m_file.remove();
    m_lock.reset(); // unlocks: the lock file goes too
}

void TestJournal::waitSynced()
{
    std::unique_lock guard(m_mutex);
    m_synced.wait(guard, [this] { return (!m_dirty && !m_syncing) || !m_worker.joinable(); });
}

void TestJournal::write(const QByteArray &bytes)
{
    // Unbuffered: one write() straight to the system, which keeps it should the process die.
    if (m_file.write(bytes) != bytes.size()) {
        // Nothing more is written, so the journal never has a hole; what it holds stays, and
        // stays locked, for a recovery should the protocol not be saved either.
        stopWorker();
        m_file.close();
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

void TestJournal::syncLoop(int handle)
{
    std::unique_lock guard(m_mutex);
    for (;;) {
        m_wake.wait(guard, [this] { return m_dirty || m_stop; });
        if (!m_dirty)
            return; // stopped with everything synced
        m_dirty = false;
        m_syncing = true;
        guard.unlock();
        if (m_sync)
            m_sync(handle);
        guard.lock();
        m_syncing = false;
        m_synced.notify_all();
    }
}

} // namespace kavr
