#include "harness/KillAndRecover.h"

#include "harness/FigureSet.h"
#include "harness/MonotonicTime.h"
#include "harness/ProgramUnderTest.h"
#include "harness/ProtocolCheck.h"
#include "harness/ScreenMap.h"
#include "harness/XInput.h"
#include "parameters/Figures.h"
#include "parameters/TestVariant.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QThread>

#include <X11/keysym.h>
#include <algorithm>
#include <functional>

namespace kavr::harness {

using namespace Qt::StringLiterals;

namespace {

// The printed unit of a row's time.
constexpr double HalfUnit = 0.005;

// A time the test knows only between two readings of its clock, in seconds.
struct Span
{
    double low = 0;
    double high = 0;
    bool holds(double value, double margin) const { return value >= low - margin && value <= high + margin; }
    QString text() const { return u"%1..%2 s"_s.arg(low, 0, 'f', 3).arg(high, 0, 'f', 3); }
};

double Seconds(std::int64_t from, std::int64_t to)
{
    return ToMs(to - from) / 1000.0;
}

// Whether shown() came true within ms.
bool WaitFor(const std::function<bool()> &shown, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!shown()) {
        if (clock.elapsed() > ms)
            return false;
        QThread::msleep(1);
    }
    return true;
}

// The extent of the dark text in an area: pixels whose green channel (0 in both the black of a
// field and the maroon of the notice) lies below half that of the area's top left corner.
QRect InkBox(const QImage &area)
{
    const int paper = qGreen(area.pixel(0, 0));
    QRect box;
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            if (2 * qGreen(area.pixel(x, y)) < paper)
                box |= QRect(x, y, 1, 1);
    return box;
}

QString RowName()
{
    return QString::fromUtf8(QTest::currentDataTag()).replace(u' ', u'-');
}

} // namespace

// What the protocol must say of the test as the program saw it up to its last event.
struct KillAndRecover::Expected
{
    ChoiceTable rows{};
    PerFigure<Span> times;
    Span answer;
    QDateTime lastWall;
    int correct = 0;
    int wrong = 0;
};

KillAndRecover::KillAndRecover(const XvfbSession &server, XInput &input, ProgramUnderTest &run, double clickMargin,
                               QString shotPrefix)
    : m_server(server), m_input(input), m_run(run), m_clickMargin(clickMargin), m_shotPrefix(std::move(shotPrefix))
{
}

KillAndRecover::~KillAndRecover() = default;

void KillAndRecover::shot(const QString &what) const
{
    m_run.saveScreenshot(qEnvironmentVariable("KAVR_E2E_SHOTS"), m_shotPrefix + RowName() + u'-' + what);
}

bool KillAndRecover::startAndLogIn()
{
    if (!m_run.start())
        return false;
    m_person = std::make_unique<Operator>(m_server, m_input, m_run);
    m_person->logIn();
    return m_person->stage() == Stage::SubjectEntry;
}

void KillAndRecover::refuseEntry(const QString &name)
{
    // The label grows with its lines.
    const QRect grown = screen::RefusalLine.adjusted(0, 0, 0, 80);
    auto lastLine = [](const QImage &area) {
        const QList<std::pair<int, int>> bands = TextBands(area);
        return bands.isEmpty() ? QImage() : area.copy(0, bands.last().first, area.width(), bands.last().second - bands.last().first + 1);
    };
    const QImage before = m_run.grab(grown);
    const qsizetype noticeLines = TextBands(before).size();
    QVERIFY(noticeLines > 0);
    m_person->fillCode(u"con"_s);
    m_person->fillName(name);
    m_person->pressEnter();
    QCOMPARE(m_person->stage(), Stage::SubjectEntry);
    shot(u"refused-entry"_s);
    // The reason above the notice, which still ends with the file's name.
    const QImage after = m_run.grab(grown);
    QVERIFY(TextBands(after).size() > noticeLines);
    QCOMPARE(lastLine(after), lastLine(before));
}

void KillAndRecover::play(const Interruption &plan)
{
    QVERIFY(m_person && m_person->stage() == Stage::SubjectEntry);
    m_events.clear();
    m_answerLow = m_answerHigh = 0;

    // The entry: a notice of the start takes no part in it and goes with a valid one.
    m_person->fillCode(plan.code);
    m_person->fillName(plan.name);
    if (plan.variant == 1) {
        m_input.click(m_run.at(screen::VariantBox.center()));
        m_input.key(XK_Down);
    }
    m_enter = m_input.key(XK_Return);
    m_enterWall = QDateTime::currentDateTime();
    QTest::qWait(800);
    QCOMPARE(m_person->stage(), Stage::Instruction);
    const TestVariant &variant = TestVariants.at(plan.variant);
    const QString variantText = variant.itemText.toString();
    QVERIFY2(m_run.mainTitle().endsWith(variantText), qPrintable(m_run.mainTitle()));
    // The log-in layer and its line are gone.
    QVERIFY(!m_person->refusalShown());

    // F1, and which figure lies on which panel.
    m_person->settle();
    m_person->clickNowhere();
    QTest::qWait(300);
    m_f1 = m_input.key(XK_F1);
    m_f1Wall = QDateTime::currentDateTime();
    QTest::qWait(1000);
    QCOMPARE(m_person->stage(), Stage::Exposure);
    const FigureSet exposed(variant.exposurePictures);
    std::fill(std::begin(m_panelOf), std::end(m_panelOf), 0);
    for (int panel = 1; panel <= FigureCount; ++panel) {
        m_keyOrder[panel] = exposed.recognise(m_run.grab(screen::TaskImageArea(panel)));
        QVERIFY2(m_keyOrder[panel] != 0, qPrintable(u"panel %1 shows no figure of the variant"_s.arg(panel)));
        QCOMPARE(m_panelOf[m_keyOrder[panel]], 0);
        m_panelOf[m_keyOrder[panel]] = panel;
    }

    if (plan.inExposure) {
        SleepUntilNs(m_f1 + 3000 * NsPerMs);
        shot(u"interrupted"_s);
        return;
    }
    // The answer row came between the last look that missed it and the first that saw it.
    const FigureSet offeredSet(variant.answerPictures);
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const std::int64_t before = MonotonicNs();
        if (offeredSet.recognise(m_run.grab(screen::AnswerImageArea(1))) != 0) {
            m_answerHigh = MonotonicNs();
            break;
        }
        m_answerLow = before;
        QVERIFY2(clock.elapsed() < variant.exposureSeconds * 1000 + 5'000, "the answer row did not appear");
        QThread::msleep(3);
    }
    for (int position = 1; position <= FigureCount; ++position) {
        m_offered[position] = offeredSet.recognise(m_run.grab(screen::AnswerImageArea(position)));
        QVERIFY(m_offered[position] >= 1);
    }

    const bool all = plan.positions.size() == FigureCount;
    for (qsizetype i = 0; i < plan.positions.size(); ++i) {
        const int position = plan.positions[i];
        const int panel = m_panelOf[m_offered[plan.onto[i]]];
        QThread::msleep(150 + 40 * (i % 5));
        const std::int64_t picked = m_input.click(m_run.at(screen::AnswerImageArea(position).center()));
        m_events << Event{false, position, 0, picked, QDateTime::currentDateTime()};
        const std::int64_t placed = m_input.click(m_run.at(screen::TaskImageArea(panel).center()));
        m_events << Event{true, position, panel, placed, QDateTime::currentDateTime()};
    }
    if (plan.pickedLast != 0) {
        QThread::msleep(400);
        const std::int64_t picked = m_input.click(m_run.at(screen::AnswerImageArea(plan.pickedLast).center()));
        m_events << Event{false, plan.pickedLast, 0, picked, QDateTime::currentDateTime()};
        // The red frame round the picked figure: the program has the pick.
        QVERIFY2(WaitFor([&] {
            const QImage panel = m_run.grab(screen::AnswerPanelArea(plan.pickedLast));
            int red = 0;
            for (int y = 0; y < panel.height(); ++y)
                red += panel.pixel(1, y) == qRgb(255, 0, 0) ? 1 : 0;
            return red > panel.height() / 2;
        }, 3000), "the pick shows no frame");
    } else if (all) {
        // The closing message: the program is in FinishTest, which saves the protocol and
        // then removes the journal, right behind it. The interruption falls somewhere there.
        QVERIFY2(WaitFor([&] { return m_person->stage() == Stage::Finished; }, 3000), "the test did not end");
    } else if (!plan.positions.isEmpty()) {
        // The placed figure has left the answer row: the program has the placement.
        const int last = plan.positions.last();
        QVERIFY2(WaitFor([&] {
            return offeredSet.recognise(m_run.grab(screen::AnswerImageArea(last))) != m_offered[last];
        }, 3000), "the placed figure stays in the answer row");
    }
    if (!all)
        shot(u"interrupted"_s);
}

// The rows as the program has them at the last event: a pick fills the record in progress, a
// placement ends it, timed from the previous placement or the answer start; the record in
// progress is charged up to the last event, as a time-out would charge it.
KillAndRecover::Expected KillAndRecover::expect() const
{
    Expected e;
    const double answerLow = 0, answerHigh = Seconds(m_answerLow, m_answerHigh);
    Span mark{answerLow, answerHigh}; // seconds since the earliest answer start
    Span last = mark;
    int choice = 1;
    for (const Event &event : m_events) {
        const double at = Seconds(m_answerLow, event.ns);
        last = {at, at};
        e.lastWall = event.wall;
        ChoiceRecord &row = e.rows[choice];
        if (!event.placement) {
            row.PictureNo = event.position;
            row.Answer = m_offered[event.position];
            continue;
        }
        row.PanelNo = event.panel;
        row.Key = m_keyOrder[event.panel];
        e.times[choice] = {at - mark.high, at - mark.low};
        (row.correct() ? e.correct : e.wrong) += 1;
        mark = last;
        ++choice;
    }
    if (choice <= FigureCount)
        e.times[choice] = {last.low - mark.high, last.high - mark.low};
    for (Span &time : e.times)
        time = {std::max(0.0, time.low), std::max(0.0, time.high)};
    e.answer = {last.low - answerHigh, last.high - answerLow};
    return e;
}

void KillAndRecover::checkRecovered(const Interruption &plan)
{
    QVERIFY(m_person && m_person->stage() == Stage::SubjectEntry);
    const QString saved = plan.code + u".IM.txt"_s;
    const QString recovered = plan.code + u".IM.recovered.txt"_s;
    // The start recovers on a thread of its own once its window is up: wait for the journal and
    // any lock the kill left to go, and for the notice that comes after it.
    QStringList files = m_run.resultFiles();
    const auto journalLeft = [&files] {
        return std::any_of(files.cbegin(), files.cend(), [](const QString &f) { return f.contains(u".IM.journal"_s); });
    };
    QElapsedTimer clock;
    clock.start();
    while (journalLeft() && clock.elapsed() < 10'000) {
        QTest::qWait(100);
        files = m_run.resultFiles();
    }
    QTest::qWait(300);
    shot(u"restarted"_s);
    const bool wasSaved = files.contains(saved);
    QVERIFY2(!wasSaved || plan.positions.size() == FigureCount, "a protocol saved before the test ended");
    // Either the protocol the program saved or the recovered one; no journal, lock or
    // temporary file left.
    QStringList expectedFiles = m_kept;
    expectedFiles << (wasSaved ? saved : recovered);
    expectedFiles.sort();
    QVERIFY2(files == expectedFiles, qPrintable(u"Result holds %1; expected %2"_s.arg(files.join(u", "_s), expectedFiles.join(u", "_s))));
    m_kept = expectedFiles;

    // The notice, for a recovered protocol only: the fixed text, the same for every file, and on
    // a line of its own the file's name, measured against the name typed into the code field
    // (the same font).
    QCOMPARE(m_person->refusalShown(), !wasSaved);
    if (!wasSaved) {
        const QImage notice = m_run.grab(screen::RefusalLine.adjusted(0, 0, 0, 40));
        const QList<std::pair<int, int>> bands = TextBands(notice);
        QCOMPARE(bands.size(), 2);
        const QImage fixedText = notice.copy(0, bands[0].first, notice.width(), bands[0].second - bands[0].first + 1);
        if (!m_noticeText.isNull())
            QCOMPARE(fixedText, m_noticeText);
        m_noticeText = fixedText;
        const int top = bands[0].second + 1;
        const QRect shown = InkBox(notice.copy(0, top, notice.width(), notice.height() - top));
        m_person->fillCode(recovered);
        m_person->clickNowhere(); // no text cursor in the field
        QTest::qWait(200);
        const QRect typed = InkBox(m_run.grab(screen::CodeField.adjusted(3, 3, -3, -3)));
        shot(u"name-typed"_s);
        // The two controls place their glyphs a little differently: the same text in the same
        // font, as wide within two pixels; the codes of the rows differ more.
        QVERIFY2(qAbs(shown.width() - typed.width()) <= 2 && qAbs(shown.height() - typed.height()) <= 1,
                 qPrintable(u"the notice's second line is %1 x %2 pixels, %3 typed in the code field %4 x %5"_s
                                .arg(shown.width()).arg(shown.height()).arg(recovered).arg(typed.width()).arg(typed.height())));
    }

    // The protocol, whole, and what it says of this test.
    QFile file(QDir(m_run.resultDir()).filePath(wasSaved ? saved : recovered));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const ProtocolReport protocol = ProtocolCheck::check(file.readAll(), plan.code);
    QVERIFY2(protocol.problems.isEmpty(), qPrintable(protocol.problems.join(u'\n')));
    const report::ProtocolRecord &record = *protocol.record;
    QCOMPARE(protocol.lines.size(), 23);
    QCOMPARE(protocol.headerBlocks, 1);
    QCOMPARE(protocol.instructionLines, 1);
    QCOMPARE(record.code, plan.code);
    QCOMPARE(record.name, plan.name);
    QCOMPARE(record.variant, TestVariants.at(plan.variant).itemText.toString());
    const QDateTime setUp = QDateTime::fromString(record.dateTime, u"dd.MM.yyyy HH:mm:ss"_s);
    QVERIFY2(qAbs(m_enterWall.secsTo(setUp)) <= 1, qPrintable(record.dateTime));
    QVERIFY2(qAbs(record.instructionSeconds - Seconds(m_enter, m_f1)) <= 1.0,
             qPrintable(u"%1 s of instruction, %2 s between Enter and F1"_s.arg(record.instructionSeconds).arg(Seconds(m_enter, m_f1))));

    if (plan.positions.size() == FigureCount)
        qInfo(wasSaved ? "interrupted after the save" : "interrupted after the last placement, before the save");
    const Expected expected = expect();
    const QTime finish = QTime::fromString(record.finishTime, u"HH:mm:ss"_s);
    const QDateTime lastWall = plan.inExposure ? m_f1Wall : expected.lastWall;
    QVERIFY2(finish.isValid() && qAbs(lastWall.time().secsTo(finish)) <= 1,
             qPrintable(u"finished at %1, last event at %2"_s.arg(record.finishTime, lastWall.time().toString())));

    if (plan.inExposure) {
        QCOMPARE(record.answerSeconds, 0.0);
    } else {
        QVERIFY2(expected.answer.holds(record.answerSeconds, 0.5 + m_clickMargin),
                 qPrintable(u"answer time %1 s, %2 expected"_s.arg(record.answerSeconds).arg(expected.answer.text())));
    }
    QCOMPARE(record.score.correct, expected.correct);
    QCOMPARE(record.score.wrong, expected.wrong);
    QCOMPARE(record.score.missing, FigureCount - expected.correct - expected.wrong);
    for (int i = 1; i <= FigureCount; ++i) {
        const ChoiceRecord &got = record.choices[i];
        const ChoiceRecord &want = expected.rows[i];
        QVERIFY2(got.PanelNo == want.PanelNo && got.Key == want.Key && got.PictureNo == want.PictureNo
                     && got.Answer == want.Answer,
                 qPrintable(u"%1: %2, panel %3 key %4 picture %5 answer %6 expected"_s.arg(protocol.lines[10 + i])
                                .arg(want.PanelNo).arg(want.Key).arg(want.PictureNo).arg(want.Answer)));
        QVERIFY2(expected.times[i].holds(got.Time, HalfUnit + m_clickMargin),
                 qPrintable(u"row %1: %2 s, %3 measured"_s.arg(i).arg(got.Time).arg(expected.times[i].text())));
    }
}

} // namespace kavr::harness
