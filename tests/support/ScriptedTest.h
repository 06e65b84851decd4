#pragma once
// A test as the program records it, for the report's tests, with the figures a test chooses:
// the header lines come from the program's own builders (testing/core/Protocol.h), the rest
// from the run ending the test, and reach disk through the program's own save (SaveProtocol),
// so the files are byte for byte what the program writes.
#include "report/read/ProtocolRecord.h"
#include "support/TestSettings.h"
#include "testing/core/ChoiceRecord.h"
#include "testing/core/Format.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace kavr::test {

struct ScriptedTest
{
    QString code;
    QString name;
    QDateTime setUp; // of the last set-up
    int setUps = 1; // set-ups before the start (F1)
    bool setUpAgainAfterStart = false; // one more set-up and start during the exposure
    QString earlierName; // on the header lines of earlier set-ups
    double instructionSeconds = 0;
    QTime finish;
    QString variant;
    double answerSeconds = 0;
    ChoiceTable choices{};
    FormatSettings settings;

    QStringList lines() const; // the protocol, line by line
    QByteArray bytes() const; // as saved
    report::ProtocolRecord read() const; // bytes() through the report's reader; fatal if refused
    QString save(const QString &resultDir) const; // SaveProtocol; the path written
    // What reading the file back must give: the figures as printed, rounded as printed.
    report::ProtocolRecord expected() const;
};

// All twelve placed, two of them wrong; Russian settings.
ScriptedTest CompleteTest();
// Seven placed, the answer time ran out while a figure was picked; American settings.
ScriptedTest TimeOutTest();
// The set-up ran twice before the start, the name corrected in between.
ScriptedTest TwiceSetUpTest();
// Set up again during the exposure and started again: header and instruction lines twice.
ScriptedTest SetUpAgainAfterStartTest();
// Nothing placed before the time ran out.
ScriptedTest NothingPlacedTest();
// A code with Ё, Щ, Ъ and a blank.
ScriptedTest CyrillicCodeTest();

} // namespace kavr::test
