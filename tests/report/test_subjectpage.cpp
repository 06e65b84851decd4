// The subject's page as a browser shows and prints it. Two tests with boards known here are
// saved as the program saves them, kavr-im-report writes their pages, and a headless Chromium
// takes a screenshot of each and prints it. The board cells are found on the screenshot by
// their frame colours, laid out as 4 x 3 boards, and the figure in each is recognised against
// the program's own pictures: the exposure board must show exactly the figures the protocol
// tells (and no other panel any figure), the answer board the figure put on each panel, marked
// right or wrong, and the panels left empty. Each page must print on one A4 sheet.
//
// Needs chromium (Debian package chromium; test.sh installs it): label tool.
#include "ReportRun.h"
#include "assets/JpegDecoder.h"
#include "report/html/SubjectPage.h"
#include "support/ScriptedTest.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <optional>

using namespace kavr;
using namespace kavr::test;
using namespace Qt::StringLiterals;

namespace {

// A test as it ran: the figure on each task panel, the figure at each answer position, and
// the subject's placements in order.
struct Placement
{
    int position; // in the answer row
    int panel;
    double time;
};

struct Script
{
    QString code;
    int variant; // 0 A, 1 B
    std::array<int, 13> keyOrder; // panel -> figure
    std::array<int, 13> offered; // answer position -> figure
    QList<Placement> placements;
    int pickedAtTimeOut = 0; // answer position picked when the time ran out; 0 none

    // The rows the program records: Key from the panel, Answer and PictureNo from the pick.
    ChoiceTable rows() const
    {
        ChoiceTable c{};
        int i = 1;
        double used = 0;
        for (const Placement &p : placements) {
            c[i++] = {p.time, p.panel, keyOrder[p.panel], p.position, offered[p.position]};
            used += p.time;
        }
        if (i <= 12) {
            c[i].Time = 60 - used;
            if (pickedAtTimeOut)
                c[i] = {60 - used, -1, 0, pickedAtTimeOut, offered[pickedAtTimeOut]};
        }
        return c;
    }
};

enum class Kind { Shown, Unknown, Correct, Wrong, Empty };

struct Found
{
    Kind kind;
    QRect frame; // outer edge of the frame
};

struct Board
{
    std::array<std::optional<Found>, 13> panels; // by panel number
};

bool Near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) <= 2 && qAbs(qGreen(a) - qGreen(b)) <= 2
        && qAbs(qBlue(a) - qBlue(b)) <= 2;
}

// The outer rings of one frame colour: connected areas large enough to be a cell's frame, not
// lying inside another (a double line's inner ring).
QList<QRect> Frames(const QImage &shot, QRgb colour)
{
    QList<QRect> boxes;
    QImage seen(shot.size(), QImage::Format_Mono);
    seen.fill(0);
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            if (seen.pixelIndex(x, y) || !Near(shot.pixel(x, y), colour))
                continue;
            QRect box(x, y, 1, 1);
            QList<QPoint> stack{{x, y}};
            seen.setPixel(x, y, 1);
            while (!stack.isEmpty()) {
                const QPoint p = stack.takeLast();
                box = box.united(QRect(p, QSize(1, 1)));
                for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
                    const QPoint q = p + d;
                    if (shot.rect().contains(q) && !seen.pixelIndex(q)
                        && Near(shot.pixel(q), colour)) {
                        seen.setPixel(q, 1);
                        stack << q;
                    }
                }
            }
            if (box.width() >= 60 && box.height() >= 50)
                boxes << box;
        }
    }
    QList<QRect> outer;
    for (const QRect &box : boxes) {
        bool inside = false;
        for (const QRect &other : boxes)
            inside = inside || (other != box && other.contains(box));
        if (!inside)
            outer << box;
    }
    return outer;
}

// Twelve frames as a board of three rows of four, panel 1 at the top left.
std::optional<Board> AsBoard(QList<Found> cells)
{
    if (cells.size() != 12)
        return std::nullopt;
    std::sort(cells.begin(), cells.end(), [](const Found &a, const Found &b) {
        return a.frame.top() < b.frame.top() - 10
            || (qAbs(a.frame.top() - b.frame.top()) <= 10 && a.frame.left() < b.frame.left());
    });
    Board board;
    for (int i = 0; i < 12; ++i) {
        const int row = i / 4, first = row * 4;
        if (qAbs(cells.at(i).frame.top() - cells.at(first).frame.top()) > 10)
            return std::nullopt;
        board.panels[i + 1] = cells.at(i);
    }
    return board;
}

QImage Grey(const QImage &image)
{
    return image.convertToFormat(QImage::Format_Grayscale8);
}

// Mean grey difference inside the frame (a margin off the edges) to a picture scaled to it.
double Difference(const QImage &shot, const QRect &inner, const QImage &picture)
{
    const QImage a = Grey(shot.copy(inner));
    const QImage b = Grey(picture.scaled(inner.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    double sum = 0;
    int n = 0;
    for (int y = 3; y < a.height() - 3; ++y) {
        for (int x = 3; x < a.width() - 3; ++x) {
            sum += qAbs(int(a.pixelColor(x, y).value()) - int(b.pixelColor(x, y).value()));
            ++n;
        }
    }
    return sum / std::max(n, 1);
}

// The figure (1-12) whose picture of the set base + f the cell shows, or 0 when none stands
// clearly out.
int Recognise(const QImage &shot, const QRect &frame, int base)
{
    const int w = kavr::report::cell::FrameWidth;
    const QRect inner = frame.adjusted(w, w, -w, -w);
    QList<std::pair<double, int>> scores;
    for (int f = 1; f <= 12; ++f)
        scores << std::pair{Difference(shot, inner, assets::LoadPicture(base + f)), f};
    std::sort(scores.begin(), scores.end());
    return scores.at(0).first < 0.75 * scores.at(1).first ? scores.at(0).second : 0;
}

QStringList ChromiumArguments(const QString &profile)
{
    return {u"--headless"_s, u"--no-sandbox"_s, u"--disable-gpu"_s, u"--disable-quic"_s,
            u"--no-first-run"_s, u"--disable-background-networking"_s,
            u"--disable-component-update"_s, u"--disable-sync"_s, u"--user-data-dir="_s + profile,
            u"--force-device-scale-factor=1"_s, u"--hide-scrollbars"_s};
}

bool RunChromium(const QStringList &arguments)
{
    QProcess chromium;
    chromium.setProcessChannelMode(QProcess::MergedChannels);
    chromium.start(QStandardPaths::findExecutable(u"chromium"_s), arguments);
    if (!chromium.waitForFinished(120000)) {
        chromium.kill();
        chromium.waitForFinished();
        return false;
    }
    return chromium.exitStatus() == QProcess::NormalExit && chromium.exitCode() == 0;
}

Script TimeOutB()
{
    // Seven placed (three wrong), figure 6 picked when the time ran out: five panels unknown.
    return {u"Б-07"_s, 1, {0, 5, 11, 2, 9, 12, 1, 7, 3, 10, 6, 8, 4},
            {0, 3, 8, 12, 1, 6, 10, 4, 2, 11, 7, 9, 5},
            {{3, 5, 2.41}, {10, 7, 3.10}, {1, 10, 4.02}, {11, 4, 1.87}, {4, 2, 5.55},
             {12, 1, 2.20}, {2, 12, 3.33}},
            5};
}

Script ElevenPlacedA()
{
    // Eleven placed, panel 3 left empty and figure 6 not placed (figure 2, shown on panel 3,
    // went to panel 10): the one panel and figure left are known all the same.
    Script s{u"А-11"_s, 0, {0, 5, 11, 2, 9, 12, 1, 7, 3, 10, 6, 8, 4},
             {0, 7, 2, 10, 4, 12, 1, 9, 5, 11, 3, 8, 6}, {}, 0};
    for (int panel : {1, 2, 4, 5, 6, 7, 8, 9, 11, 12}) {
        const int position = int(std::find(s.offered.begin(), s.offered.end(), s.keyOrder[panel])
                                 - s.offered.begin());
        s.placements << Placement{position, panel, 1.5 + panel * 0.25};
    }
    s.placements << Placement{2, 10, 4.75}; // figure 2 onto panel 10
    return s;
}

} // namespace

class TestSubjectPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void boardsAsTheBrowserShowsThem_data();
    void boardsAsTheBrowserShowsThem();

private:
    QTemporaryDir m_dir;
};

void TestSubjectPage::initTestCase()
{
    QVERIFY2(!QStandardPaths::findExecutable(u"chromium"_s).isEmpty(),
             "chromium is missing: this test renders the page in it (apt-get install chromium)");
    QVERIFY(m_dir.isValid());
    const QString result = m_dir.filePath(u"Result"_s);
    QVERIFY(QDir().mkpath(result));
    for (const Script &s : {TimeOutB(), ElevenPlacedA()}) {
        ScriptedTest t = CompleteTest();
        t.code = s.code;
        t.variant = s.variant ? u"Вариант B"_s : u"Вариант A"_s;
        t.choices = s.rows();
        t.answerSeconds = 60.01;
        t.save(result);
    }
    const ReportRun run = RunReport({result, u"-o"_s, m_dir.filePath(u"all.csv"_s), u"--pages"_s,
                                     m_dir.filePath(u"pages"_s)},
                                    u"ru_RU.UTF-8"_s);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
}

void TestSubjectPage::boardsAsTheBrowserShowsThem_data()
{
    QTest::addColumn<int>("which");
    QTest::newRow("time-out, variant B") << 0;
    QTest::newRow("eleven placed, variant A") << 1;
}

void TestSubjectPage::boardsAsTheBrowserShowsThem()
{
    QFETCH(int, which);
    const Script s = which == 0 ? TimeOutB() : ElevenPlacedA();
    const QString page = m_dir.filePath(u"pages/"_s + s.code + u".IM.html"_s);
    QVERIFY2(QFile::exists(page), qPrintable(page));
    const QString shotPath = m_dir.filePath(s.code + u".png"_s);
    QVERIFY(RunChromium(ChromiumArguments(m_dir.filePath(u"profile-shot-"_s + s.code))
                        + QStringList{u"--window-size=800,1100"_s, u"--screenshot="_s + shotPath,
                                      u"file://"_s + page}));
    const QImage shot = QImage(shotPath).convertToFormat(QImage::Format_RGB32);
    QVERIFY2(!shot.isNull(), qPrintable(shotPath));

    // What the protocol tells: the exposure figure of every panel that took a figure, and with
    // eleven such panels the last one too; what was put where.
    std::array<int, 13> shown{}, placed{};
    for (const Placement &p : s.placements) {
        shown[p.panel] = s.keyOrder[p.panel];
        placed[p.panel] = s.offered[p.position];
    }
    if (s.placements.size() == 11) {
        for (int p = 1; p <= 12; ++p) {
            if (!shown[p])
                shown[p] = s.keyOrder[p];
        }
    }

    using namespace kavr::report;
    const auto found = [&](std::initializer_list<std::pair<Kind, const char *>> kinds) {
        QList<Found> cells;
        for (const auto &[kind, colour] : kinds) {
            for (const QRect &frame : Frames(shot, QColor(QString::fromLatin1(colour)).rgb()))
                cells << Found{kind, frame};
        }
        return AsBoard(cells);
    };
    const std::optional<Board> exposure
        = found({{Kind::Shown, cell::Shown}, {Kind::Unknown, cell::Unknown}});
    const std::optional<Board> answer = found(
        {{Kind::Correct, cell::Correct}, {Kind::Wrong, cell::Wrong}, {Kind::Empty, cell::Empty}});
    QVERIFY2(exposure && answer, "twelve cells on each board");
    QVERIFY(exposure->panels[1]->frame.right() < answer->panels[1]->frame.left()); // side by side

    const int base = s.variant ? 100 : 0;
    for (int p = 1; p <= 12; ++p) {
        const Found &e = *exposure->panels[p];
        QCOMPARE(e.kind, shown[p] ? Kind::Shown : Kind::Unknown);
        if (shown[p])
            QCOMPARE(Recognise(shot, e.frame, base), shown[p]);

        const Found &a = *answer->panels[p];
        if (!placed[p]) {
            QCOMPARE(a.kind, Kind::Empty);
            continue;
        }
        QCOMPARE(a.kind, placed[p] == s.keyOrder[p] ? Kind::Correct : Kind::Wrong);
        QCOMPARE(Recognise(shot, a.frame, base + 12), placed[p]);
    }

    // Printed: one A4 sheet.
    const QString pdf = m_dir.filePath(s.code + u".pdf"_s);
    QVERIFY(RunChromium(ChromiumArguments(m_dir.filePath(u"profile-pdf-"_s + s.code))
                        + QStringList{u"--no-pdf-header-footer"_s, u"--print-to-pdf="_s + pdf,
                                      u"file://"_s + page}));
    const QByteArray printed = ReadAll(pdf);
    QVERIFY(printed.startsWith("%PDF"));
    QCOMPARE(QString::fromLatin1(printed).count(QRegularExpression(u"/Type\\s*/Page(?![a-zA-Z])"_s)), 1);
    const QRegularExpressionMatch box
        = QRegularExpression(u"/MediaBox\\s*\\[\\s*0\\s+0\\s+([\\d.]+)\\s+([\\d.]+)"_s)
              .match(QString::fromLatin1(printed));
    QVERIFY(box.hasMatch()); // A4: 595 x 842 points
    QVERIFY(qAbs(box.captured(1).toDouble() - 595.3) < 1 && qAbs(box.captured(2).toDouble() - 841.9) < 1);
}

QTEST_GUILESS_MAIN(TestSubjectPage)
#include "test_subjectpage.moc"
