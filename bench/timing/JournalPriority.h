#pragma once
// The processor priority the program says it was granted for a test, read from the journal
// of that test while it runs (from the start key until the protocol is saved): the line
//   priority  <ms>  <wall>  granted|refused  <how, or why not>
// The program writes it at the start key; where it writes none, the priority is unknown.
#include <QString>

namespace kavr::bench {

struct JournalPriority
{
    QString state = QStringLiteral("unknown"); // "granted", "refused" or "unknown"
    QString note; // the program's how or why; or why unknown
    QString journal; // the journal read; empty when none was found
};

// From the journal of the test of subject code in resultDir ("<code>.IM.journal", or
// "<code> (n).IM.journal" where others were there before it: the newest, the highest n of equals).
JournalPriority ReadJournalPriority(const QString &resultDir, const QString &code);

} // namespace kavr::bench
