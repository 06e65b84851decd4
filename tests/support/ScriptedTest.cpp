#include "support/ScriptedTest.h"

#include "report/read/ProtocolReader.h"
#include "support/FakeClock.h"
#include "support/TestChoices.h"
#include "support/TestFiles.h"
#include "testing/core/Protocol.h"
#include "testing/core/ProtocolFile.h"
#include "testing/core/Scoring.h"
#include "testing/core/TestRun.h"

using namespace Qt::StringLiterals;

namespace kavr::test {

namespace {

// A value as the protocol prints it, read back.
double Printed(double value, int decimals)
{
    return FormatFixed(value, decimals, FormatSettings{}).toDouble();
}

} // namespace

QStringList ScriptedTest::lines() const
{
    // Earlier set-ups 40 s apart under the earlier name; the last one is the test that ran.
    const int all = setUps + (setUpAgainAfterStart ? 1 : 0);
    auto header = [&](int j) {
        return protocol::HeaderLines(code, j == all - 1 ? name : earlierName,
                                     setUp.addSecs(-40 * (all - 1 - j)), settings);
    };
    QStringList log;
    for (int j = 0; j < setUps; ++j)
        log << header(j);
    if (setUpAgainAfterStart)
        log << protocol::InstructionLine(instructionSeconds + 17.3, settings) << header(all - 1);
    log << protocol::InstructionLine(instructionSeconds, settings);

    // The rest as the run ends a test: its answer time and records stopped, composed at finish.
    TestState state;
    state.Stage = 3;
    state.VariantIndex = qint32(&VariantNamed(variant) - TestVariants.data());
    state.Choices = choices; // the placement in progress, if any, already charged
    state.ResultLog = log;
    FakeClock clock;
    clock.setWall(QDateTime(setUp.date(), finish));
    TestRun run(clock, settings, std::move(state));
    run.stopAnswerAt(answerSeconds, 0);
    run.composeResult();
    return run.state().ResultLog;
}

QByteArray ScriptedTest::bytes() const
{
    return EncodeProtocol(lines());
}

report::ProtocolRecord ScriptedTest::read() const
{
    const report::ReadOutcome outcome = report::ReadProtocol(bytes());
    if (!outcome.record)
        qFatal("fixture not read: %s", qPrintable(outcome.error.message));
    return *outcome.record;
}

QString ScriptedTest::save(const QString &resultDir) const
{
    return test::SaveProtocol({resultDir, {}}, code, lines());
}

report::ProtocolRecord ScriptedTest::expected() const
{
    report::ProtocolRecord r;
    r.code = code;
    r.name = name;
    r.dateTime = DateTimeToStr(setUp, settings);
    r.setUps = setUps + (setUpAgainAfterStart ? 1 : 0);
    r.instructionSeconds = Printed(instructionSeconds, 0);
    r.finishTime = TimeToStr(finish, settings);
    r.variant = variant;
    r.answerSeconds = Printed(answerSeconds, 0);
    const Score score = ScoreChoices(choices);
    r.score = score;
    r.score.mean = Printed(score.mean, 2);
    r.score.sd = Printed(score.sd, 2);
    r.score.cv = Printed(score.cv, 0);
    r.choices = choices;
    for (int i = 1; i <= 12; ++i)
        r.choices[i].Time = Printed(choices[i].Time, 2);
    return r;
}

ScriptedTest CompleteTest()
{
    ScriptedTest t;
    t.code = u"Иванов-01"_s;
    t.name = u"Иванов И.И."_s;
    t.setUp = QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9));
    t.instructionSeconds = 47.6;
    t.finish = QTime(14, 7, 31);
    t.variant = u"Вариант A"_s;
    t.answerSeconds = 41.27;
    t.choices = AllPlacedChoices();
    t.settings = Russian();
    return t;
}

ScriptedTest TimeOutTest()
{
    ScriptedTest t;
    t.code = u"P-0042"_s;
    t.name = u"Petrov P.P."_s;
    t.setUp = QDateTime(QDate(2026, 3, 1), QTime(9, 15, 0));
    t.instructionSeconds = 112.5;
    t.finish = QTime(9, 19, 48);
    t.variant = u"Вариант B"_s;
    t.answerSeconds = 60.016;
    t.choices = TimeOutChoices();
    t.settings = American();
    return t;
}

ScriptedTest TwiceSetUpTest()
{
    ScriptedTest t = CompleteTest();
    t.code = u"Сидорова-7"_s;
    t.name = u"Сидорова А.Б."_s;
    t.earlierName = u"Сидорова А."_s;
    t.setUps = 2;
    return t;
}

ScriptedTest SetUpAgainAfterStartTest()
{
    ScriptedTest t = TimeOutTest();
    t.code = u"Петров-0043"_s;
    t.settings = Russian();
    t.earlierName = u"Петров П."_s;
    t.setUpAgainAfterStart = true;
    return t;
}

ScriptedTest NothingPlacedTest()
{
    ScriptedTest t = CompleteTest();
    t.code = u"Пусто"_s;
    t.choices = {};
    t.choices[1].Time = 60.004;
    t.answerSeconds = 60.004;
    return t;
}

ScriptedTest CyrillicCodeTest()
{
    ScriptedTest t = CompleteTest();
    t.code = u"Ёлкина Щ-Ъ №3"_s;
    t.name = u"Ёлкина Щ.Ъ."_s;
    t.variant = u"Вариант B"_s;
    return t;
}

} // namespace kavr::test
