#pragma once
// The journal of the test in progress as the main window's handlers feed it: each event with the
// clock's readings, the protocol's lines as they are appended, and, when the protocol could not
// be saved, where the test is still kept. A handler records with one call, once it has taken
// its time and changed the screen. Nothing here throws (TestJournal.h).
#include "testing/core/ChoiceRecord.h"
#include "testing/core/Clock.h"
#include "testing/core/Format.h"
#include "testing/core/ProtocolFile.h"
#include "testing/core/TestJournal.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace kavr {

class TestRecorder final
{
public:
    // The journal goes to the first folder of target that takes it, its lines written as format
    // has them; sync as TestJournal's. clock must outlive the recorder.
    TestRecorder(Clock &clock, SaveTarget target, FormatSettings format, TestJournal::FileSync sync);

    // The figures are up: opens the journal of code with the protocol's lines so far and the
    // variant; when it is open already (a set-up repeated during the exposure), adds the lines
    // appended since and the new variant.
    void exposureBegan(const QString &code, const QStringList &protocol, const QString &variant);
    // The lines appended to protocol since the journal took the last, while it is open.
    void protocolLines(const QStringList &protocol);
    // Whether the system gave the timed phases the processor, and how or why not; journaled while
    // the journal is open.
    void priority(bool granted, const QString &how);
    // The answer phase began at the reading answerStart.
    void answerBegan(qint64 answerStart);
    // Record choiceNo of choices has its figure picked; has been placed, at the reading mark.
    // Nothing when choiceNo names no record.
    void pick(int choiceNo, const ChoiceTable &choices);
    void place(int choiceNo, const ChoiceTable &choices, qint64 mark);
    // The test ended at end, before its save: the answer time and the record in progress
    // (choiceNo AllPlaced: none).
    void finish(double answerSeconds, int choiceNo, const ChoiceTable &choices, const QDateTime &end);
    // The protocol has been saved as path: the journal goes, unless the protocol lies where the
    // machine's next start empties the folder and the journal does not.
    void protocolSaved(const QString &path);
    // For a protocol saved nowhere, a paragraph to follow the save's error: where the journal
    // still keeps the test, or that it may be lost.
    QString journalNote();

    const TestJournal &journal() const { return m_journal; }

private:
    Clock &m_clock;
    SaveTarget m_target;
    FormatSettings m_format;
    TestJournal m_journal;
    qsizetype m_journaledLines = 0; // lines of the protocol already in the journal
};

} // namespace kavr
