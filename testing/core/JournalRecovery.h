#pragma once
// At start-up, before anyone is tested: every journal left by a test that did not end (a
// crash, a kill, a power cut, the window closed during the test, a save that failed everywhere)
// becomes a recovered protocol, <code>.IM.recovered.txt, written as FinishTest wrote or would
// have written it at the journal's last event (JournalReader.h) and saved as safely as a
// protocol; only then is the journal removed. Looked for in every folder of the save target.
//
// - A journal whose lock is held (its test is running, here or on another workstation that the
//   share tells of) is left alone, and named when the lock names another workstation; one whose
//   lock cannot be told from a live one (another workstation's, on a share that passes no
//   locks, with a recent heartbeat) is left alone and named. Another operator's abandoned test
//   is recovered like one's own.
// - A journal is removed only once a protocol on disk holds all of it. One read to its end
//   whose protocol was saved after all (the program stopped between the save and the journal's
//   removal) is removed without a recovered file: a protocol of its code in any folder of the
//   target holds the journal's subject line (code, name, date and time), its protocol lines and
//   every record it placed. So is one whose recovered protocol is there already, byte for byte
//   (a start stopped between the two).
// - A damaged journal is never removed: it is recovered up to the damage and kept beside under
//   the first free name of DamagedJournalFileName; one that cannot be read at all, or whose
//   protocol no folder takes, stays where it is; all are named. One the program left as it
//   began the test (nothing in it but a start cut short) is removed and named.
// - A journal that is gone by the time it is examined (another start recovered it, or its test
//   ended) is passed by without a word.
// - Whatever else has a journal's, a lock's or a protocol's name (a link, a FIFO, a device, a
//   folder) is never opened nor followed: it is left as it is and named.
// - A lock whose journal is gone and whose owner is gone too is removed, and so is what a killed
//   program left of the lock layer's temporary files (FileLock::clearLeftovers).
// The work of one start is bounded: at most MaxRecoveriesPerStart protocols are written and
// MaxExaminedPerStart names examined; the rest waits for the next start, and the notice says so.
#include "testing/core/ProtocolFile.h"

#include <QList>
#include <QStringList>

#include <atomic>

namespace kavr {

struct RecoveryReport
{
    enum class Kind {
        Recovered, // path: the recovered protocol; detail: why it is not in Result, and
        // saved protocols of its code that could not be read (it may be one)
        RecoveredInPart, // path: the recovered protocol; detail: the kept journal; line: the damage
        Unreadable, // path: the journal, left in place
        Emptied, // path: the journal of a test stopped as it began, removed
        Undecided, // path: the journal; detail: the workstation its lock names
        Foreign, // path: what was found under the name; detail: what it is
        Postponed, // line: how many journals wait for the next start
    };
    struct Entry
    {
        Kind kind;
        QString path;
        QString detail;
        int line = 0;
    };

    QList<Entry> entries;
    QStringList removed; // full paths of journals whose protocol had been saved

    QStringList paths(Kind kind) const;
    // The operator's lines, plain text: one per entry, recovered protocols first, each file
    // named by its name when it is in resultDir (given), else by its full path; at most three,
    // then "и ещё N".
    QStringList noticeLines(const QString &resultDir) const;
    // What a later start cannot find again, for the notice it is told (all paths in full): the
    // protocols recovered and the journals removed. What was left as it stood, the next start
    // finds and names itself.
    QStringList carriedLines() const;
};

inline constexpr int MaxRecoveriesPerStart = 16;
inline constexpr int MaxExaminedPerStart = 256;

// stop, when given and set, ends the work after the journal in hand: the rest waits for the
// next start (Postponed).
RecoveryReport RecoverJournals(const SaveTarget &target, const std::atomic<bool> *stop = nullptr);

} // namespace kavr
