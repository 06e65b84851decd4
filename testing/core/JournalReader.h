#pragma once
// Reading a journal (TestJournal.h) back into the state of the test it followed, and the
// protocol that FinishTest would have written at its last event.
#include "testing/core/ChoiceRecord.h"
#include "testing/core/Format.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringList>

#include <optional>

namespace kavr {

struct InterruptedTest
{
    QString code;
    FormatSettings settings; // in force during the test
    QStringList lines;       // the protocol's lines so far: headers and instruction time
    QString variant;
    bool answerBegan = false;
    qint64 answerStartMs = 0;
    qint64 markMs = 0;        // the last timing mark: answer start or last placement
    qint64 lastMs = 0;        // the last event
    QDateTime lastWall;       // the last event's local date and time
    ChoiceTable choices{};
    int choiceNo = 0;         // the record the next placement fills; 0 before the answer phase
    // The test ended and its save was tried (the finish event): its answer time, and its end.
    bool finished = false;
    double answerSeconds = 0.0;
    // Whether the timed phases had the processor: "granted", "refused", empty when the journal
    // does not say. Never in the protocol.
    QString priority;

    // Whether the journal holds the protocol's subject line (code, name, date and time): only
    // then can a protocol on disk be told to be this test's own.
    bool identified() const;

    // As FinishTest wrote them: at the finish when the journal holds it (the save failed);
    // otherwise as when the answer time runs out at the last event: the record in progress
    // charged with the time since the last mark, the answer time up to the last event (0 when
    // the answer phase never began), the end time that of the last event.
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
// a later format's) or no start event.
JournalReadOutcome ReadJournal(const QByteArray &bytes);

} // namespace kavr
