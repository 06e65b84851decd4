#pragma once
// The journal of the test in progress: from the start of the exposure until the protocol has
// been saved, everything needed to write the protocol as it would have been at that moment, so
// that a crash, a kill or a power cut loses nothing of what the subject did (the start-up after
// it turns the journal into a recovered protocol, JournalRecovery.h).
//
// File: <code>.IM.journal in the first folder of the save target that takes it (Result, created
// when missing; else the fallback folders); when that name is taken, a journal of another test
// of that code is alive or waits for recovery, and "<code> (2).IM.journal", (3), ... is used.
// Journal and lock are made exclusively, never through a link nor over anything found under
// their names. The lock, "<journal>.lock" (platform/files/FileLock.h), is made before the journal and
// held until the journal is removed: a workstation starting up recovers only journals whose
// lock is missing or abandoned. In a folder the group may write, both are the group's, so that
// another operator recovers a test its owner left.
//
// Format, UTF-8 text, one event per line (JournalLine.h: tab-separated fields, a checksum field,
// a line feed; a last line that is cut short or fails its checksum is a write the program did
// not finish and is ignored; a damaged line elsewhere ends what can be read):
//   KAVR.IM journal 2                     (journals of format 1, without priority, are read too)
//   start   <ms> <wall> <code> <decimal separator> <short date format> <long time format>
//   line    <ms> <wall> <text>            a protocol line as the program appended it
//   variant <ms> <wall> <text>            the variant's text, for the protocol's variant line
//   answer  <ms> <wall>                   the answer phase began: answer start and mark at <ms>
//   pick    <ms> <wall> <choice> <picture> <answer>         a figure picked for record <choice>
//   place   <ms> <wall> <choice> <panel> <key> <seconds>    record <choice> placed; mark at <ms>
//   finish  <ms> <wall> <answer seconds> <choice> <seconds> the test ended at <wall>, before its
//           save: the answer time, and the record in progress (13: none) with its final time
//   priority <ms> <wall> granted|refused <how>  whether the system gave the timed phases the
//           processor (DesktopServices::RaiseTimedPriority), and how or why not
// <ms> is the test clock's millisecond reading (only differences mean anything), <wall> the
// local date and time, yyyy-MM-ddTHH:mm:ss.zzz; seconds are exact ("%.17g").
//
// Each event is written with one write() of the whole line, which survives a killed process;
// a worker thread then makes it durable (the injected FileSync; the folder too, once, for the
// journal's and the lock's names), so the disk's latency never delays a handler, and shows every
// heartbeat that the test lives (FileLock::heartbeat) for as long as the journal is this
// test's: also after a write failed (a full disk), since the journal keeps what it holds for a
// recovery, and another start must not take the test for abandoned while it runs. A beat that
// finds the lock's or the journal's name taken from it says so in durability().
// Nothing here throws: when the journal cannot be written the test goes on without it, and
// durability() says so at the end.
#include "platform/files/FileAccess.h"
#include "platform/files/FileLock.h"
#include "testing/core/ChoiceRecord.h"
#include "testing/core/Format.h"
#include "testing/core/ProtocolFile.h"

#include <QDateTime>
#include <QStringList>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace kavr {

class TestJournal final
{
public:
    // Makes what was written to an open file handle durable; false when refused.
    using FileSync = std::function<bool(int handle)>;

    static constexpr QStringView Suffix = u".IM.journal";
    // The lock's file is the journal's path with this added.
    static constexpr QStringView LockSuffix = u".lock";
    // A journal damaged in the middle is kept under its name with this added (with a number
    // where that is taken: DamagedJournalFileName), once what could be read of it has been
    // recovered.
    static constexpr QStringView DamagedSuffix = u".damaged";
    // A handful of tests of one code at once is already more than a lab runs.
    static constexpr int MaxJournalNumber = 99;

    // Whether what the journal holds is on the disk.
    struct Durability
    {
        bool durable = false;
        QString problem; // why not, for the operator
    };

    // sync may be empty: then the lines are written but not forced to the disk. The lock beats
    // every heartbeatMs.
    explicit TestJournal(FileSync sync, int heartbeatMs = platform::FileLock::HeartbeatMs);
    // Stops the worker after a last sync and closes the file, leaving it for recovery.
    ~TestJournal();
    TestJournal(const TestJournal &) = delete;
    TestJournal &operator=(const TestJournal &) = delete;

    // Opens a new journal for code and writes, in one piece, the start, the protocol's lines
    // so far and the variant; false when no folder takes it.
    bool begin(const SaveTarget &target, const QString &code, const FormatSettings &settings,
               const QStringList &lines, const QString &variant, qint64 ms, const QDateTime &wall);
    // Events are written while it is open: from begin() until discard() or a failed write.
    bool isOpen() const { return m_file && m_writable; }
    // The journal this test owns, also after a failed write (it keeps what was written, and
    // its lock, until discard()); empty before begin().
    QString path() const { return m_lock ? m_path : QString(); }
    // Whether everything journaled so far is on the disk: false before begin(), after a write
    // that failed, or once the system refused to make a line durable.
    Durability durability();

    void logLines(const QStringList &lines, qint64 ms, const QDateTime &wall);
    void variant(const QString &text, qint64 ms, const QDateTime &wall);
    void answerBegan(qint64 ms, const QDateTime &wall);
    void pick(int choiceNo, const ChoiceRecord &record, qint64 ms, const QDateTime &wall);
    void place(int choiceNo, const ChoiceRecord &record, qint64 ms, const QDateTime &wall);
    // The test has ended (the answer time, the record in progress with its final time; choiceNo
    // 13 when all twelve are placed), journaled before the save is tried.
    void finish(double answerSeconds, int choiceNo, const ChoiceRecord &record, qint64 ms,
                const QDateTime &wall);
    void priority(bool granted, const QString &how, qint64 ms, const QDateTime &wall);

    // The protocol has been saved: the journal and its lock are removed (only while they are
    // still this test's own files).
    void discard();

private:
    bool create(const SaveTarget &target, const QString &dir, const QString &code);
    void write(const QByteArray &bytes);
    void stopWorker();
    void syncLoop(int handle, const QString &folder);

    FileSync m_sync;
    int m_heartbeatMs;
    platform::OwnedFile m_file;
    bool m_writable = false; // no write has failed
    QString m_path;
    platform::FileIdentity m_identity;
    std::unique_ptr<platform::FileLock> m_lock;
    std::thread m_worker;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_dirty = false;
    bool m_stop = false;
    QString m_problem; // the first failure, guarded by m_mutex
};

// The journal's name for code: "<code>.IM.journal", from n = 2 on "<code> (n).IM.journal".
QString JournalFileName(const QString &code, int n = 1);
// The name a damaged journal is kept under once recovered: "<journal>.damaged", from n = 2 on
// "<journal> (n).damaged", n at most MaxRecoveredNumber.
QString DamagedJournalFileName(const QString &journalFileName, int n = 1);

} // namespace kavr
