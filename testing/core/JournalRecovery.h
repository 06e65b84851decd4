#pragma once
// At start-up, before anyone is tested: every journal left by a test that did not end (a
// crash, a kill, a power cut, the window closed during the test) becomes a recovered
// protocol, <code>.IM.recovered.txt, written as FinishTest would have written it at the
// journal's last event (JournalReader.h) and saved as safely as a protocol; only then is the
// journal removed. Looked for in Result and in the fallback folders.
//
// - A journal still locked (its test is running, here or on another workstation sharing the
//   folder) is left alone.
// - A journal whose protocol was saved after all (the program stopped between the save and
//   the journal's removal) is removed without a recovered file: a protocol of its code in Result
//   or a fallback folder begins with the journal's lines. So is one whose recovered protocol
//   is there already, byte for byte (a start stopped between the two).
// - A journal that cannot be read, or whose protocol no folder takes, stays where it is and is
//   named to the operator.
// - A lock whose journal is gone and whose owner is gone too is removed.
#include "testing/core/ProtocolFile.h"

#include <QStringList>

namespace kavr {

struct RecoveryReport
{
    QStringList recovered;   // full paths of the recovered protocols written
    QStringList unreadable;  // full paths of the journals left in place
    QStringList removed;     // full paths of journals whose protocol had been saved

    // The operator's lines: one per recovered protocol (its file name; its full path when it
    // is not in resultDir), then one per journal left in place; at most three, then
    // "и ещё N".
    QStringList noticeLines(const QString &resultDir) const;
};

RecoveryReport RecoverJournals(const SaveTarget &target);

} // namespace kavr
