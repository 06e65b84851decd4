// What is on screen at the timed moments: the frame put up when the exposure starts, when it
// ends and when the answer time runs out is what the widgets themselves paint, and it is there
// before any event is handled (the phases are timed from it). Frames drawn ahead during the
// exposure show nothing early, and one drawn for boards set up anew is never put up.
#include "support/FormFixture.h"
#include "ui/FigureImage.h"
#include "ui/GroupBox.h"
#include "ui/InstructionMemo.h"
#include "ui/Panel.h"

#include <QScreen>
#include <QTest>
#include <QWindow>

using namespace kavr;
using namespace kavr::test;

class ScreensTest : public QObject
{
    Q_OBJECT

private slots:
    void exposureStartsWithTheFiguresOnScreen();
    void exposureEndsWithTheAnswerRowOnScreen();
    void setUpAgainDiscardsTheFrameDrawnAhead();
    void answerTimeEndsWithTheClosingMessageOnScreen();
    void placementsAfterTheFrameRepaintAsUsual();
};

namespace {

// What the window system holds for the window now, without handling any event.
QImage OnScreen(QWidget *window)
{
    return window->screen()->grabWindow(window->winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

// What the widgets paint, as they stand.
QImage Painted(QWidget *window)
{
    return window->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QRect InWindow(QWidget *widget)
{
    return QRect(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
}

bool SameIn(const QImage &a, const QImage &b, const QRect &area)
{
    return a.copy(area) == b.copy(area);
}

// Whether each of the twelve images shows its own picture, cut to its bounds.
bool ShowTheirPictures(const QImage &screen, const Board<ui::FigureImage> &images)
{
    for (int i = 1; i <= 12; ++i) {
        const QRect area = InWindow(images[i]);
        const QImage picture = images[i]->picture().convertToFormat(QImage::Format_RGB32);
        if (screen.copy(QRect(area.topLeft(), picture.size()) & area) != picture.copy(QRect(QPoint(0, 0), area.size())))
            return false;
    }
    return true;
}

void Settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

} // namespace

void ScreensTest::exposureStartsWithTheFiguresOnScreen()
{
    FormFixture f;
    f.enterSubject();
    Settle();
    const QImage before = OnScreen(f.form.get());
    f.form->bbTestClick();
    const QImage shown = OnScreen(f.form.get());
    const QImage painted = Painted(f.form.get());
    QVERIFY(f.form->phases().isActive());
    const QRect board = InWindow(f.form->paTest);
    QVERIFY(!SameIn(before, shown, board));
    QVERIFY(SameIn(shown, painted, board));
    QVERIFY(ShowTheirPictures(shown, f.form->boards().TaskImages));
}

void ScreensTest::exposureEndsWithTheAnswerRowOnScreen()
{
    FormFixture f;
    f.enterSubject();
    f.form->bbTestClick();
    Settle();
    const QImage exposure = OnScreen(f.form.get());
    f.clock.advanceMs(1'500); // a second and a half of the exposure, its end drawn ahead
    QCOMPARE(OnScreen(f.form.get()), exposure);
    QVERIFY(f.form->boards().TaskImages[1]->isVisible() && !f.form->gbAnswer->isVisible());
    f.clock.advanceMs(28'500);
    const QImage shown = OnScreen(f.form.get());
    const QImage painted = Painted(f.form.get());
    QVERIFY(!SameIn(exposure, shown, InWindow(f.form->boards().TaskImages[1])));
    QVERIFY(SameIn(shown, painted, InWindow(f.form->paTest)));
    QVERIFY(ShowTheirPictures(shown, f.form->boards().AnswerImages));
}

void ScreensTest::setUpAgainDiscardsTheFrameDrawnAhead()
{
    FormFixture f;
    f.enterSubject();
    f.form->bbTestClick();
    f.clock.advanceMs(1'500); // the answer row of these boards drawn ahead
    f.form->PrepareTest();
    f.form->bbTestClick();
    Settle();
    f.clock.advanceMs(30'000);
    const QImage shown = OnScreen(f.form.get());
    QVERIFY(SameIn(shown, Painted(f.form.get()), InWindow(f.form->paTest)));
    QVERIFY(ShowTheirPictures(shown, f.form->boards().AnswerImages));
}

void ScreensTest::answerTimeEndsWithTheClosingMessageOnScreen()
{
    FormFixture f;
    f.enterSubject();
    f.startAnswerPhase();
    Settle();
    f.clock.advanceMs(60'000);
    const QImage shown = OnScreen(f.form.get());
    QCOMPARE(f.form->frontLayer(), f.form->paInstr);
    QVERIFY(SameIn(shown, Painted(f.form.get()), InWindow(f.form->paInstr)));
    // The message is set in blue.
    const QImage message = shown.copy(InWindow(f.form->mInstruction));
    int blue = 0;
    for (int y = 0; y < message.height(); ++y)
        for (int x = 0; x < message.width(); ++x)
            blue += message.pixel(x, y) == qRgb(0, 0, 255);
    QVERIFY2(blue > 500, qPrintable(QString::number(blue)));
}

void ScreensTest::placementsAfterTheFrameRepaintAsUsual()
{
    FormFixture f;
    f.enterSubject();
    f.startAnswerPhase();
    Settle();
    const QImage before = OnScreen(f.form.get());
    const QRect offered = InWindow(f.form->boards().AnswerPanels[1]);
    const int figure = f.form->boards().AnswerImages[1]->Tag;
    f.click(f.form->boards().AnswerImages[1]);
    f.click(f.form->boards().TaskPanels[f.panelOf(figure)]);
    Settle();
    QVERIFY(f.form->boards().AnswerPanels[1]->isHidden());
    const QImage after = OnScreen(f.form.get());
    QVERIFY(!SameIn(before, after, offered));
    QVERIFY(SameIn(after, Painted(f.form.get()), InWindow(f.form->paTest)));
}

QTEST_MAIN(ScreensTest)
#include "test_screens.moc"
