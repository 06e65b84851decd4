#pragma once
// Reading a journal (TestJournal.h) back into the test it followed, replayed through the
// test's own steps (TestRun.h), and the protocol that test would have saved at its last event.
#include "testing/core/Format.h"
#include "testing/core/TestRun.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringList>

#include <optional>

namespace kavr {

struct InterruptedTest
{
    FormatSettings settings; // in force during the test
    // The test as its journal leaves it, replayed through the test's own steps: its code, the
    // protocol's lines (headers and instruction time; at a finish, the whole protocol), the
    // variant and the placements.
    TestState state;
    qint64 lastMs = 0;        // the last event
    QDateTime lastWall;       // the last event's local date and time
    qsizetype journaledLines = 0; // the protocol's lines the journal holds
    // The test ended and its save was tried (the finish event).
    bool finished = false;
    // Whether the timed phases had the processor: "granted", "refused", empty when the journal
    // does not say. Never in the protocol.
    QString priority;

    const QString &code() const { return state.code; }
    bool answerBegan() const { return state.ChoiceNo > 0; }
    // Whether the journal holds the protocol's subject line (code, name, date and time): only
    // then can a protocol on disk be told to be this test's own.
    bool identified() const;

    // As the test saved it: at the finish when the journal holds it (the save failed);
    // otherwise as the test ends when its answer time runs out at the last event.
    QStringList protocolLines() const;
};

struct JournalReadOutcome
{
    std::optional<InterruptedTest> test; // set when the journal was read, wholly or in part
    // The first line that failed, when what came before it was read; 0 when none did.
    int damagedLine = 0;
    // Nothing was written but a start cut short: the program stopped as the test began.
    bool empty = false;
    QString error; // when no test was read, why not (English, for logs and tests)
    // Written by a later version of the program, in a format this one does not know.
    bool newer = false;
};

// A journal that ends inside a line is read without that line (a write the program did not
// finish). A whole line that fails its checksum, the last one too (a power cut writes a page's
// sectors in any order), or that does not fit (unknown kind, a field that is no number, a
// record out of turn, a code that could not have named a protocol) ends what is read: the test
// as it stood before that line, with damagedLine set. Refused: no magic line (newer when it is
// a later format's), no start event, or a variant this program does not know (newer: a later
// version added it, and only that version can recover the test).
JournalReadOutcome ReadJournal(const QByteArray &bytes);

} // namespace kavr
