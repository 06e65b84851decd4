// The boards a set-up builds: which picture lies where, the geometry and data of every
// created control, and what a second set-up does.
#include "assets/JpegDecoder.h"
#include "support/FormFixture.h"
#include "testing/BoardGeometry.h"
#include "ui/FigureImage.h"
#include "ui/GroupBox.h"
#include "ui/Panel.h"
#include "ui/SystemColors.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

using namespace kavr;
using namespace kavr::test;

class BoardsTest : public QObject
{
    Q_OBJECT

private slots:
    void picturesFollowKeyAndOfferOrder_data();
    void picturesFollowKeyAndOfferOrder();
    void panelsHaveTheirGeometryAndData();
    void imagesFillTheInnerAreaAtNaturalSize();
    void typedVariantTextCountsAsFirstVariant();
    void secondSetUpBuildsOverTheFirst();
};

namespace {

// The figure an image shows, found by comparing its pixels with the catalogue's pictures.
int shownNumber(const ui::FigureImage *image, const QList<int> &candidates)
{
    for (int number : candidates)
        if (assets::LoadPicture(number) == image->picture())
            return number;
    return -1;
}

QList<int> range(int first, int last)
{
    QList<int> numbers;
    for (int n = first; n <= last; ++n)
        numbers << n;
    return numbers;
}

} // namespace

void BoardsTest::picturesFollowKeyAndOfferOrder_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<int>("v");
    QTest::newRow("A") << 0 << 0;
    QTest::newRow("B") << 1 << 100;
}

void BoardsTest::picturesFollowKeyAndOfferOrder()
{
    QFETCH(int, variant);
    QFETCH(int, v);
    FormFixture f;
    f.enterSubject(QStringLiteral("77"), QStringLiteral("Сидорова В.В."), variant);
    TForm1 &form = *f.form;
    QCOMPARE(form.run().state().VariantIndex, variant);
    QVERIFY(IsPermutation(form.run().state().KeyOrder));

    Permutation answerFigures{};
    Permutation paletteFigures{};
    for (int i = 1; i <= 12; ++i) {
        QCOMPARE(shownNumber(form.boards().TaskImages[i], range(1 + v, 12 + v)),
                 form.run().state().KeyOrder[i] + v);
        QCOMPARE(shownNumber(form.boards().ExampleImages[i], range(1001, 1012)),
                 1000 + form.run().state().KeyOrder[i]);
        const int answer = shownNumber(form.boards().AnswerImages[i], range(13 + v, 24 + v));
        QCOMPARE(answer - 12 - v, form.boards().AnswerImages[i]->Tag);
        answerFigures[i] = std::uint8_t(form.boards().AnswerImages[i]->Tag);
        paletteFigures[i] = std::uint8_t(
            shownNumber(form.boards().FigureImages[i], range(1013, 1024)) - 1012);
        QCOMPARE(form.boards().TaskPanels[i]->Tag, int(form.run().state().KeyOrder[i]));
    }
    // Each figure once in the answer row and once in the palette; the answer row offers
    // KeyOrder[OfferOrder[i]] where the palette shows OfferOrder[i].
    QVERIFY(IsPermutation(answerFigures));
    QVERIFY(IsPermutation(paletteFigures));
    for (int i = 1; i <= 12; ++i)
        QCOMPARE(answerFigures[i], form.run().state().KeyOrder[paletteFigures[i]]);
    QCOMPARE(form.windowTitle(), QStringLiteral("KAVR.IM ") + form.cbVariant->itemText(variant));
}

void BoardsTest::panelsHaveTheirGeometryAndData()
{
    FormFixture f;
    f.enterSubject();
    TForm1 &form = *f.form;
    struct Family
    {
        const Board<ui::Panel> &panels;
        const PanelFamily &layout;
        QWidget *parent;
        bool clickable;
    };
    const Family families[] = {
        {form.boards().TaskPanels, TaskPanelFamily, form.paTest, true},
        {form.boards().ExamplePanels, ExamplePanelFamily, form.gbIn1, false},
        {form.boards().PracticePanels, PracticePanelFamily, form.gbIn2, true},
        {form.boards().AnswerPanels, AnswerPanelFamily, form.gbAnswer, false},
        {form.boards().FigurePanels, FigurePanelFamily, form.gbIn3, false},
    };
    for (const Family &family : families) {
        for (int i = 1; i <= 12; ++i) {
            const ui::Panel *panel = family.panels[i];
            QCOMPARE(panel->parentWidget(), family.parent);
            QCOMPARE(panel->geometry(), family.layout.geometry(i));
            QCOMPARE(panel->caption(), QString::number(i));
            QCOMPARE(panel->font().pixelSize(), family.layout.fontPixels);
            QCOMPARE(panel->hasOnClick(), family.clickable);
            QCOMPARE(panel->cursor().shape(), family.layout.handPointer ? Qt::PointingHandCursor : Qt::ArrowCursor);
        }
    }
    // Corners of the grids as laid out.
    QCOMPARE(form.boards().TaskPanels[12]->geometry(), QRect(715, 308, 170, 150));
    QCOMPARE(form.boards().ExamplePanels[7]->geometry(), QRect(248, 80, 60, 53));
    QCOMPARE(form.boards().AnswerPanels[7]->geometry(), QRect(8, 144, 133, 118));
    QCOMPARE(form.boards().FigurePanels[6]->geometry(), QRect(285, 24, 43, 39));
    for (int i = 1; i <= 12; ++i) {
        QCOMPARE(form.boards().AnswerImages[i]->Hint, QString::number(i));
        QCOMPARE(form.boards().FigureImages[i]->Hint, QString::number(i));
        QCOMPARE(form.boards().AnswerImages[i]->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(form.boards().AnswerPanels[i]->Tag, 0);
        QCOMPARE(form.boards().FigurePanels[i]->Tag, 0);
        QCOMPARE(form.boards().AnswerPanels[i]->color(), ui::ButtonFace);
    }
}

void BoardsTest::imagesFillTheInnerAreaAtNaturalSize()
{
    FormFixture f;
    f.enterSubject();
    TForm1 &form = *f.form;
    QCOMPARE(form.boards().TaskImages[1]->geometry(), QRect(2, 2, 166, 146));
    QCOMPARE(form.boards().AnswerImages[1]->geometry(), QRect(3, 3, 127, 112));
    QCOMPARE(form.boards().FigureImages[1]->geometry(), QRect(3, 3, 37, 33));
    // Example pictures are two pixels larger than their panel's inner area and cut off.
    QCOMPARE(form.boards().ExampleImages[1]->geometry(), QRect(3, 3, 54, 47));
    QCOMPARE(form.boards().ExampleImages[1]->picture().size(), QSize(56, 49));
    // Drawn from the top-left: the rendered example shows the picture's top-left 54 x 47.
    const QImage shown = form.boards().ExampleImages[1]->grab().toImage().convertToFormat(
        QImage::Format_RGB888);
    QCOMPARE(shown.size(), QSize(54, 47));
    QCOMPARE(shown, form.boards().ExampleImages[1]->picture().copy(0, 0, 54, 47));
}

void BoardsTest::typedVariantTextCountsAsFirstVariant()
{
    FormFixture f;
    f.logIn();
    f.form->EditUser->setText(QStringLiteral("5"));
    f.form->EditPassword->setText(QStringLiteral("Н."));
    f.form->cbVariant->setCurrentIndex(1);
    f.form->cbVariant->setEditText(QStringLiteral("что-то"));
    f.pressKey(Qt::Key_Return);
    QCOMPARE(f.form->run().state().VariantIndex, 0);
    QCOMPARE(f.form->windowTitle(), QStringLiteral("KAVR.IM Вариант A"));
}

void BoardsTest::secondSetUpBuildsOverTheFirst()
{
    FormFixture f;
    f.enterSubject(QStringLiteral("9"), QStringLiteral("Н."), 1);
    const ui::Panel *first = f.form->boards().TaskPanels[3];
    f.logIn(); // the about box's OK in Stage 2 sets the test up again
    QCOMPARE(f.form->run().state().Stage, 2);
    QVERIFY(f.form->boards().TaskPanels[3] != first);
    QCOMPARE(first->parentWidget(), f.form->paTest); // left in place beneath, hidden
    QVERIFY(first->isHidden());
    QCOMPARE(f.form->windowTitle(), QStringLiteral("KAVR.IM Вариант B Вариант B"));
    QCOMPARE(f.form->run().state().ResultLog.size(), 6);
    QCOMPARE(f.form->run().state().ResultLog.at(3), f.form->run().state().ResultLog.at(0));
    // The new board is the one on top.
    const QPoint centre = f.form->boards().TaskPanels[3]->geometry().center();
    QCOMPARE(f.form->paTest->childAt(centre)->parentWidget(), f.form->boards().TaskPanels[3]);
}

QTEST_MAIN(BoardsTest)
#include "test_boards.moc"
