// Picking and placing figures on the boards, in practice and in the test: frames, hidden
// panels and pointers; the end of the test by the twelfth placement, its closing message and
// its protocol file, and a save that fails. The records and their times are the run's tests'.
#include "support/FormFixture.h"
#include "ui/FigureImage.h"
#include "ui/GroupBox.h"
#include "ui/InstructionMemo.h"
#include "ui/Panel.h"
#include "ui/SystemColors.h"

#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QTextOption>

using namespace kavr;
using namespace kavr::test;

class PlacementsTest : public QObject
{
    Q_OBJECT

private slots:
    void practicePlacementRecordsNothing();
    void panelClickWithoutPickDoesNothing();
    void pickToggleAndRepick();
    void unhighlightedPickStillPlaces();
    void twelfthPlacementFinishesAndSavesProtocol();
    void saveFailureReachesErrorHandler();
};

namespace {

void pick(FormFixture &f, int position)
{
    f.click(f.form->boards().AnswerImages[position]);
}

void placeOn(FormFixture &f, int panel)
{
    f.click(f.form->boards().TaskPanels[panel]);
}

} // namespace

void PlacementsTest::practicePlacementRecordsNothing()
{
    FormFixture f;
    f.enterSubject();
    TForm1 &form = *f.form;
    f.click(form.boards().FigureImages[4]);
    QCOMPARE(form.run().state().SelectedFigure, 4);
    QCOMPARE(form.boards().FigurePanels[4]->color(), ui::HighlightRed);
    QCOMPARE(form.boards().FigurePanels[4]->Tag, 1);
    f.click(form.boards().PracticePanels[9]);
    QCOMPARE(form.run().state().SelectedFigure, 0);
    QVERIFY(form.boards().FigurePanels[4]->isHidden());
    QVERIFY(form.boards().PracticePanels[9]->caption().isEmpty());
    QVERIFY(!form.boards().PracticePanels[9]->hasOnClick());
    QCOMPARE(form.focusWidget(), &form);
    // The blank panel takes nothing more.
    f.click(form.boards().FigureImages[5]);
    f.click(form.boards().PracticePanels[9]);
    QCOMPARE(form.run().state().SelectedFigure, 5);
    QVERIFY(form.boards().FigurePanels[5]->isVisible());
    QCOMPARE(form.run().state().ChoiceNo, 0);
    for (int i = 1; i <= 12; ++i)
        QCOMPARE(form.run().state().Choices[i].PanelNo, -1);
    // F1 drops a practice pick: nothing carries over into the test.
    f.pressKey(Qt::Key_F1);
    QCOMPARE(form.run().state().SelectedFigure, 0);
}

void PlacementsTest::panelClickWithoutPickDoesNothing()
{
    FormFixture f;
    f.enterSubject();
    f.click(f.form->boards().PracticePanels[1]);
    QCOMPARE(f.form->boards().PracticePanels[1]->caption(), QStringLiteral("1"));
    f.startAnswerPhase();
    placeOn(f, 3);
    QCOMPARE(f.form->run().state().ChoiceNo, 1);
    QCOMPARE(f.form->boards().TaskPanels[3]->caption(), QStringLiteral("3"));
    QCOMPARE(f.form->run().state().Choices[1].PanelNo, -1);
}

void PlacementsTest::pickToggleAndRepick()
{
    FormFixture f;
    f.enterSubject();
    f.startAnswerPhase();
    TForm1 &form = *f.form;
    pick(f, 2);
    QCOMPARE(form.boards().AnswerPanels[2]->color(), ui::HighlightRed);
    pick(f, 7); // picking another moves the frame
    QCOMPARE(form.boards().AnswerPanels[2]->color(), ui::ButtonFace);
    QCOMPARE(form.boards().AnswerPanels[2]->Tag, 0);
    QCOMPARE(form.boards().AnswerPanels[7]->color(), ui::HighlightRed);
    QCOMPARE(form.run().state().Choices[1].PictureNo, 7);
    QCOMPARE(form.run().state().Choices[1].Answer, form.boards().AnswerImages[7]->Tag);
    pick(f, 7); // second click: frame off, still picked
    QCOMPARE(form.boards().AnswerPanels[7]->color(), ui::ButtonFace);
    QCOMPARE(form.run().state().SelectedFigure, 7);
    pick(f, 7); // third click frames it again
    QCOMPARE(form.boards().AnswerPanels[7]->color(), ui::HighlightRed);
    QCOMPARE(form.boards().AnswerPanels[7]->Tag, 1);
}

void PlacementsTest::unhighlightedPickStillPlaces()
{
    FormFixture f;
    f.enterSubject();
    f.startAnswerPhase();
    TForm1 &form = *f.form;
    pick(f, 5);
    pick(f, 5);
    const int figure = form.boards().AnswerImages[5]->Tag;
    placeOn(f, 11);
    QCOMPARE(form.run().state().Choices[1].PanelNo, 11);
    QCOMPARE(form.run().state().Choices[1].Key, int(form.run().state().KeyOrder[11]));
    QCOMPARE(form.run().state().Choices[1].PictureNo, 5);
    QCOMPARE(form.run().state().Choices[1].Answer, figure);
    QVERIFY(form.boards().AnswerPanels[5]->isHidden());
    QVERIFY(form.boards().TaskPanels[11]->caption().isEmpty());
    QVERIFY(!form.boards().TaskPanels[11]->hasOnClick());
    QCOMPARE(form.boards().TaskPanels[11]->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(form.run().state().ChoiceNo, 2);
    // The used panel takes no second figure.
    pick(f, 6);
    placeOn(f, 11);
    QCOMPARE(form.run().state().ChoiceNo, 2);
    QCOMPARE(form.run().state().Choices[2].PanelNo, -1);
}

void PlacementsTest::twelfthPlacementFinishesAndSavesProtocol()
{
    FormFixture f;
    f.enterSubject(QStringLiteral("Код-7"), QStringLiteral("Петров А.Б."), 1);
    f.clock.advanceMs(20'000);
    f.startAnswerPhase();
    TForm1 &form = *f.form;
    // Figures 1..12 in turn; the first three on the wrong panels, the rest right.
    const int wrongPanel[] = {0, 2, 3, 1};
    for (int figure = 1; figure <= 12; ++figure) {
        f.clock.advanceMs(1000 + 125 * figure);
        pick(f, f.offerPositionOf(figure));
        const int right = f.panelOf(figure);
        placeOn(f, figure <= 3 ? f.panelOf(wrongPanel[figure]) : right);
    }
    QCOMPARE(form.run().state().ChoiceNo, 13);
    QCOMPARE(form.run().state().Stage, 4);
    QVERIFY(!form.phases().isActive());
    QVERIFY(f.errors.isEmpty());
    QCOMPARE(form.mInstruction->font().pixelSize(), 32);
    QVERIFY(form.mInstruction->font().bold());
    QCOMPARE(form.mInstruction->palette().color(QPalette::Text), QColor(0, 0, 255));
    QCOMPARE(form.mInstruction->document()->defaultTextOption().alignment(), Qt::AlignHCenter);
    QCOMPARE(form.mInstruction->toPlainText().split(QLatin1Char('\n')).value(2),
             QStringLiteral("Тест закончен. Спасибо за работу."));

    // The file the run saved (its own tests hold its bytes), at the path the window reports.
    const QFileInfo file(f.resultDir() + QStringLiteral("/Код-7.IM.txt"));
    QVERIFY(file.size() > 0);
    QCOMPARE(form.run().protocolPath(), file.absoluteFilePath());
}

void PlacementsTest::saveFailureReachesErrorHandler()
{
    FormFixture f;
    // A file where the Result folder should be: neither it nor the fallback can be written.
    QFile blocker(f.resultDir());
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    f.enterSubject(QStringLiteral("X1"));
    f.startAnswerPhase();
    for (int figure = 1; figure <= 12; ++figure) {
        pick(f, f.offerPositionOf(figure));
        placeOn(f, f.panelOf(figure));
    }
    QCOMPARE(f.form->run().state().Stage, 4); // everything before the save stays done
    QCOMPARE(f.errors.size(), 1);
    QVERIFY2(f.errors.first().startsWith(QStringLiteral("Cannot create file ")), qPrintable(f.errors.first()));
    QVERIFY(f.errors.first().contains(QStringLiteral("X1.IM.txt")));
}

QTEST_MAIN(PlacementsTest)
#include "test_placements.moc"
