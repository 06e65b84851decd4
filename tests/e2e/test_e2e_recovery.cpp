// The real program under a private X server, killed (SIGKILL) at chosen moments of a test and
// started again on the same folders, as a crash or a power cut would leave it. The start after
// the kill must turn the journal of the test in progress into <code>.IM.recovered.txt, remove
// the journal and its lock, and name the file in the maroon line of the log-in layer; the
// recovered protocol is read back through the report's reader and compared, row by row, with
// what the test did and when (its dated clicks). The rows share one program folder: each runs
// its test on the program the row before started again, so the recovered files add up there.
#include "assets/PictureCatalogue.h"
#include "harness/FigureSet.h"
#include "harness/MonotonicTime.h"
#include "harness/Operator.h"
#include "harness/ProgramRun.h"
#include "harness/ProtocolCheck.h"
#include "harness/ScreenMap.h"
#include "harness/XInput.h"
#include "harness/XvfbSession.h"
#include "testing/BoardGeometry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QThread>

#include <X11/keysym.h>

#include <functional>
#include <memory>

using namespace kavr;
using namespace kavr::harness;
using namespace Qt::StringLiterals;

namespace {

// The printed unit of a row's time, and how late the program may act on a click the harness
// dated (its event loop, on a machine shared with other work).
constexpr double HalfUnit = 0.005;
constexpr double ClickMargin = 0.050;

// A time the test knows only between two readings of its clock, in seconds.
struct Span
{
    double low = 0;
    double high = 0;
    bool holds(double value, double margin) const { return value >= low - margin && value <= high + margin; }
    QString text() const { return u"%1..%2 s"_s.arg(low, 0, 'f', 3).arg(high, 0, 'f', 3); }
};

// One click of the answer phase the program acted on: a pick, or the second click of a
// placement.
struct Event
{
    bool placement = false;
    int position = 0;
    int panel = 0;
    std::int64_t ns = 0;
    QDateTime wall;
};

// What the protocol must say of the test as the program saw it up to its last event.
struct Expected
{
    ChoiceTable rows{};
    Span times[13];
    Span answer;
    QDateTime lastWall;
    int correct = 0;
    int wrong = 0;
};

// Which of the maroon pixel rows of the line hold text: the bands of its text lines.
QList<std::pair<int, int>> TextBands(const QImage &line)
{
    QList<std::pair<int, int>> bands;
    for (int y = 0; y < line.height(); ++y) {
        bool maroon = false;
        for (int x = 0; x < line.width() && !maroon; ++x) {
            const QColor c(line.pixel(x, y));
            maroon = c.red() > 90 && c.green() < 50 && c.blue() < 50;
        }
        if (!maroon)
            continue;
        if (!bands.isEmpty() && bands.last().second >= y - 3)
            bands.last().second = y; // within a line: the gaps of accents and descenders
        else
            bands.append({y, y});
    }
    return bands;
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

} // namespace

class RecoveryTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void killedTestIsRecovered_data();
    void killedTestIsRecovered();
    void cleanupTestCase();

private:
    QPoint at(QPoint client) const { return m_run.at(client); }
    void shot(const QString &name) const { m_run.saveScreenshot(qEnvironmentVariable("KAVR_E2E_SHOTS"), name); }
    double seconds(std::int64_t from, std::int64_t to) const { return ToMs(to - from) / 1000.0; }
    bool startAndLogIn();
    // Whether shown() came true within ms.
    bool waitFor(const std::function<bool()> &shown, int ms) const;
    Expected expect(const QList<Event> &events) const;

    XvfbSession m_x;
    XInput m_input;
    ProgramRun m_run{m_x, m_input};
    std::unique_ptr<Operator> m_person;
    QStringList m_kept; // the files Result must hold from the rows before
    QImage m_noticeText; // the notice's first line, the same for every file

    // What this row's test did.
    int m_keyOrder[13] = {};  // figure on each task panel
    int m_offered[13] = {};   // figure at each answer position
    int m_panelOf[13] = {};   // task panel of each figure
    std::int64_t m_answerLow = 0, m_answerHigh = 0;
};

void RecoveryTest::initTestCase()
{
    QVERIFY2(m_x.start(), "Xvfb did not start");
    QVERIFY2(m_input.open(m_x.display()), qPrintable(m_input.errorString()));
    QVERIFY(m_run.prepare(QStringLiteral(KAVR_PROGRAM)));
    QVERIFY2(startAndLogIn(), qPrintable(m_run.standardError()));
    // A new folder: nothing to recover, nothing to tell.
    QVERIFY(!m_person->refusalShown());
    QCOMPARE(m_run.resultFiles(), QStringList());
}

void RecoveryTest::cleanupTestCase()
{
    m_run.stop();
}

bool RecoveryTest::startAndLogIn()
{
    if (!m_run.start())
        return false;
    m_person = std::make_unique<Operator>(m_x, m_input, m_run);
    m_person->logIn();
    return m_person->stage() == Stage::SubjectEntry;
}

bool RecoveryTest::waitFor(const std::function<bool()> &shown, int ms) const
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

// The rows as the program has them at the last event: a pick fills the record in progress, a
// placement ends it, timed from the previous placement or the answer start; the record in
// progress is charged up to the last event, as a time-out would charge it.
Expected RecoveryTest::expect(const QList<Event> &events) const
{
    Expected e;
    const double answerLow = 0, answerHigh = seconds(m_answerLow, m_answerHigh);
    Span mark{answerLow, answerHigh}; // seconds since the earliest answer start
    Span last = mark;
    int choice = 1;
    for (const Event &event : events) {
        const double at = seconds(m_answerLow, event.ns);
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
    if (choice <= 12)
        e.times[choice] = {last.low - mark.high, last.high - mark.low};
    for (Span &time : e.times)
        time = {std::max(0.0, time.low), std::max(0.0, time.high)};
    e.answer = {last.low - answerHigh, last.high - answerLow};
    return e;
}

void RecoveryTest::killedTestIsRecovered_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("variant");
    QTest::addColumn<bool>("inExposure"); // killed during the exposure, else in the answer phase
    // Placements in order: the answer position picked and the position whose figure's panel
    // it is put on (the same position: a right placement).
    QTest::addColumn<QList<int>>("positions");
    QTest::addColumn<QList<int>>("onto");
    QTest::addColumn<int>("pickedLast"); // picked, not placed, before the kill; 0: none
    QTest::addColumn<bool>("refuseFirst"); // a refused entry before the valid one

    QTest::newRow("during the exposure")
        << u"Пр-1"_s << u"Петров П.П."_s << 1 << true << QList<int>{} << QList<int>{}
        << 0 << false;
    QTest::newRow("after the first placement")
        << u"Пр-22"_s << u"Сидорова А.Б."_s << 0 << false << QList<int>{7}
        << QList<int>{7} << 0 << true;
    QTest::newRow("after four placements")
        << u"Прерв-333"_s << u"Кузнецов В.В."_s << 1 << false
        << QList<int>{2, 9, 5, 1} << QList<int>{2, 12, 5, 1} << 0 << false;
    QTest::newRow("picked, not placed")
        << u"ПН4"_s << u"Орлова Е.Д."_s << 0 << false << QList<int>{4, 6, 10}
        << QList<int>{11, 6, 10} << 3 << false;
    QTest::newRow("right after the twelfth placement")
        << u"Все-12"_s << u"Фёдоров Ю.Ю."_s << 1 << false
        << QList<int>{12, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}
        << QList<int>{12, 1, 2, 4, 3, 5, 6, 7, 8, 9, 10, 11} << 0 << false;
}

void RecoveryTest::killedTestIsRecovered()
{
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(int, variant);
    QFETCH(bool, inExposure);
    QFETCH(QList<int>, positions);
    QFETCH(QList<int>, onto);
    QFETCH(int, pickedLast);
    QFETCH(bool, refuseFirst);
    QVERIFY(m_person && m_person->stage() == Stage::SubjectEntry);
    const QString row = QString::fromUtf8(QTest::currentDataTag()).replace(u' ', u'-');
    m_answerLow = m_answerHigh = 0;

    // The entry: a notice of the start takes no part in it and goes with a valid one.
    if (refuseFirst) {
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
        shot(u"%1-refused-entry"_s.arg(row));
        // The reason above the notice, which still ends with the file's name.
        const QImage after = m_run.grab(grown);
        QVERIFY(TextBands(after).size() > noticeLines);
        QCOMPARE(lastLine(after), lastLine(before));
    }
    m_person->fillCode(code);
    m_person->fillName(name);
    if (variant == 1) {
        m_input.click(at(screen::VariantBox.center()));
        m_input.key(XK_Down);
    }
    const std::int64_t enter = m_input.key(XK_Return);
    const QDateTime enterWall = QDateTime::currentDateTime();
    QTest::qWait(800);
    QCOMPARE(m_person->stage(), Stage::Instruction);
    const QString variantText = variant == 1 ? u"Вариант B"_s : u"Вариант A"_s;
    QVERIFY2(m_run.mainTitle().endsWith(variantText), qPrintable(m_run.mainTitle()));
    // The log-in layer and its line are gone.
    QVERIFY(!m_person->refusalShown());

    // F1, and which figure lies on which panel.
    m_person->settle();
    m_person->clickNowhere();
    QTest::qWait(300);
    const std::int64_t f1 = m_input.key(XK_F1);
    const QDateTime f1Wall = QDateTime::currentDateTime();
    QTest::qWait(1000);
    QCOMPARE(m_person->stage(), Stage::Exposure);
    const int v = variant == 1 ? assets::VariantBOffset : 0;
    const FigureSet exposed(assets::ExposureBase + v);
    std::fill(std::begin(m_panelOf), std::end(m_panelOf), 0);
    for (int panel = 1; panel <= 12; ++panel) {
        m_keyOrder[panel] = exposed.recognise(m_run.grab(screen::TaskImageArea(panel)));
        QVERIFY2(m_keyOrder[panel] != 0, qPrintable(u"panel %1 shows no figure of the variant"_s.arg(panel)));
        QCOMPARE(m_panelOf[m_keyOrder[panel]], 0);
        m_panelOf[m_keyOrder[panel]] = panel;
    }

    QList<Event> events;
    if (inExposure) {
        SleepUntilNs(f1 + 3000 * NsPerMs);
        shot(u"%1-killed"_s.arg(row));
        m_run.kill();
    } else {
        // The answer row came between the last look that missed it and the first that saw it.
        const FigureSet offeredSet(assets::AnswerBase + v);
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            const std::int64_t before = MonotonicNs();
            const bool seen = offeredSet.recognise(m_run.grab(screen::AnswerImageArea(1))) != 0;
            if (seen) {
                m_answerHigh = MonotonicNs();
                break;
            }
            m_answerLow = before;
            QVERIFY2(clock.elapsed() < 35'000, "the answer row did not appear");
            QThread::msleep(3);
        }
        for (int position = 1; position <= 12; ++position) {
            m_offered[position] = offeredSet.recognise(m_run.grab(screen::AnswerImageArea(position)));
            QVERIFY(m_offered[position] >= 1);
        }

        const bool all = positions.size() == 12;
        for (qsizetype i = 0; i < positions.size(); ++i) {
            const int position = positions[i];
            const int panel = m_panelOf[m_offered[onto[i]]];
            QThread::msleep(150 + 40 * (i % 5));
            const std::int64_t picked = m_input.click(at(screen::AnswerImageArea(position).center()));
            events << Event{false, position, 0, picked, QDateTime::currentDateTime()};
            const std::int64_t placed = m_input.click(at(screen::TaskImageArea(panel).center()));
            events << Event{true, position, panel, placed, QDateTime::currentDateTime()};
        }
        if (pickedLast != 0) {
            QThread::msleep(400);
            const std::int64_t picked = m_input.click(at(screen::AnswerImageArea(pickedLast).center()));
            events << Event{false, pickedLast, 0, picked, QDateTime::currentDateTime()};
            // The red frame round the picked figure: the program has the pick.
            QVERIFY2(waitFor([&] {
                const QImage panel = m_run.grab(screen::AnswerPanelArea(pickedLast));
                int red = 0;
                for (int y = 0; y < panel.height(); ++y)
                    red += panel.pixel(1, y) == qRgb(255, 0, 0) ? 1 : 0;
                return red > panel.height() / 2;
            }, 3000), "the pick shows no frame");
        } else if (all) {
            // The closing message: the program is in FinishTest, which saves the protocol and
            // then removes the journal, right behind it. The kill falls somewhere there.
            QVERIFY2(waitFor([&] { return m_person->stage() == Stage::Finished; }, 3000), "the test did not end");
        } else {
            // The placed figure has left the answer row: the program has the placement.
            const int last = positions.last();
            QVERIFY2(waitFor([&] {
                return offeredSet.recognise(m_run.grab(screen::AnswerImageArea(last))) != m_offered[last];
            }, 3000), "the placed figure stays in the answer row");
        }
        if (!all)
            shot(u"%1-killed"_s.arg(row));
        m_run.kill();
    }
    const QStringList left = m_run.resultFiles();
    if (positions.size() < 12) {
        // What the start will find: the journal of the test and the lock of a process gone.
        QVERIFY2(left.contains(code + u".IM.journal"_s) && left.contains(code + u".IM.journal.lock"_s),
                 qPrintable(left.join(u", "_s)));
    }

    // The start after the kill, and the log-in.
    QVERIFY2(startAndLogIn(), qPrintable(m_run.standardError()));
    shot(u"%1-restarted"_s.arg(row));
    const QString saved = code + u".IM.txt"_s;
    const QString recovered = code + u".IM.recovered.txt"_s;
    const QStringList files = m_run.resultFiles();
    const bool wasSaved = files.contains(saved);
    QVERIFY2(!wasSaved || positions.size() == 12, "a protocol saved before the test ended");
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
        shot(u"%1-name-typed"_s.arg(row));
        // The two controls place their glyphs a little differently: the same text in the same
        // font, as wide within two pixels; the codes of the rows differ more.
        QVERIFY2(qAbs(shown.width() - typed.width()) <= 2 && qAbs(shown.height() - typed.height()) <= 1,
                 qPrintable(u"the notice's second line is %1 x %2 pixels, %3 typed in the code field %4 x %5"_s
                                .arg(shown.width()).arg(shown.height()).arg(recovered).arg(typed.width()).arg(typed.height())));
    }

    // The protocol, whole, and what it says of this test.
    QFile file(QDir(m_run.resultDir()).filePath(wasSaved ? saved : recovered));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const ProtocolReport protocol = ProtocolCheck::check(file.readAll(), code);
    QVERIFY2(protocol.problems.isEmpty(), qPrintable(protocol.problems.join(u'\n')));
    const report::ProtocolRecord &record = *protocol.record;
    QCOMPARE(protocol.lines.size(), 23);
    QCOMPARE(protocol.headerBlocks, 1);
    QCOMPARE(protocol.instructionLines, 1);
    QCOMPARE(record.code, code);
    QCOMPARE(record.name, name);
    QCOMPARE(record.variant, variantText);
    const QDateTime setUp = QDateTime::fromString(record.dateTime, u"dd.MM.yyyy HH:mm:ss"_s);
    QVERIFY2(qAbs(enterWall.secsTo(setUp)) <= 1, qPrintable(record.dateTime));
    QVERIFY2(qAbs(record.instructionSeconds - seconds(enter, f1)) <= 1.0,
             qPrintable(u"%1 s of instruction, %2 s between Enter and F1"_s.arg(record.instructionSeconds).arg(seconds(enter, f1))));

    if (positions.size() == 12)
        qInfo(wasSaved ? "killed after the save" : "killed after the last placement, before the save");
    const Expected expected = expect(events);
    const QTime finish = QTime::fromString(record.finishTime, u"HH:mm:ss"_s);
    const QDateTime lastWall = inExposure ? f1Wall : expected.lastWall;
    QVERIFY2(finish.isValid() && qAbs(lastWall.time().secsTo(finish)) <= 1,
             qPrintable(u"finished at %1, last event at %2"_s.arg(record.finishTime, lastWall.time().toString())));

    if (inExposure) {
        QCOMPARE(record.answerSeconds, 0.0);
    } else {
        QVERIFY2(expected.answer.holds(record.answerSeconds, 0.5 + ClickMargin),
                 qPrintable(u"answer time %1 s, %2 expected"_s.arg(record.answerSeconds).arg(expected.answer.text())));
    }
    QCOMPARE(record.score.correct, expected.correct);
    QCOMPARE(record.score.wrong, expected.wrong);
    QCOMPARE(record.score.missing, 12 - expected.correct - expected.wrong);
    for (int i = 1; i <= 12; ++i) {
        const ChoiceRecord &got = record.choices[i];
        const ChoiceRecord &want = expected.rows[i];
        QVERIFY2(got.PanelNo == want.PanelNo && got.Key == want.Key && got.PictureNo == want.PictureNo
                     && got.Answer == want.Answer,
                 qPrintable(u"%1: %2, panel %3 key %4 picture %5 answer %6 expected"_s.arg(protocol.lines[10 + i])
                                .arg(want.PanelNo).arg(want.Key).arg(want.PictureNo).arg(want.Answer)));
        QVERIFY2(expected.times[i].holds(got.Time, HalfUnit + ClickMargin),
                 qPrintable(u"row %1: %2 s, %3 measured"_s.arg(i).arg(got.Time).arg(expected.times[i].text())));
    }
}

QTEST_GUILESS_MAIN(RecoveryTest)
#include "test_e2e_recovery.moc"
