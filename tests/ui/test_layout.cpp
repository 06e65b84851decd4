// The static layout of the main window and the about box: places, sizes, texts, fonts and
// what is visible at start.
#include "support/FormFixture.h"
#include "ui/BitButton.h"
#include "ui/GroupBox.h"
#include "ui/InstructionMemo.h"
#include "ui/Panel.h"
#include "ui/SystemColors.h"

#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>

using namespace kavr;
using namespace kavr::test;

class LayoutTest : public QObject
{
    Q_OBJECT

private slots:
    void controlsHaveTheirPlaceTextAndFont_data();
    void controlsHaveTheirPlaceTextAndFont();
    void layersFillTheClientArea();
    void instructionTextIsExact();
    void instructionShowsLinesUpToTheKeyLineWhole();
    void variantItemsEndInLatinLetters();
    void logInTabOrder();
    void fontsHaveCyrillicFaces();
    void aboutBoxLayout();
};

void LayoutTest::controlsHaveTheirPlaceTextAndFont_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("hiddenAtStart");
    const QString none;
    QTest::newRow("gbVariant") << "gbVariant" << QRect(303, 120, 338, 73) << "Выбор варианта теста" << 16 << false << true;
    QTest::newRow("cbVariant") << "cbVariant" << QRect(98, 30, 137, 28) << none << 16 << false << false;
    QTest::newRow("GroupBoxUser") << "GroupBoxUser" << QRect(303, 208, 338, 73) << "Введите имя пользователя" << 16 << false << true;
    QTest::newRow("EditUser") << "EditUser" << QRect(16, 28, 305, 28) << none << 16 << false << false;
    QTest::newRow("GroupBoxPasswrd") << "GroupBoxPasswrd" << QRect(303, 296, 338, 73) << "Введите пароль" << 16 << false << true;
    QTest::newRow("EditPassword") << "EditPassword" << QRect(16, 28, 305, 28) << none << 16 << false << false;
    QTest::newRow("BtnEnter") << "BtnEnter" << QRect(272, 408, 145, 33) << "Enter - Ввод" << 16 << false << true;
    QTest::newRow("BtnExit") << "BtnExit" << QRect(528, 408, 145, 33) << "Esc - Выход" << 16 << false << true;
    QTest::newRow("gbAnswer") << "gbAnswer" << QRect(88, 472, 827, 272) << "" << 16 << true << true;
    QTest::newRow("gbInstr") << "gbInstr" << QRect(4, 4, 1015, 337) << "Инструкция к заданию" << 19 << false << false;
    QTest::newRow("mInstruction") << "mInstruction" << QRect(6, 24, 1002, 305) << none << 19 << false << false;
    QTest::newRow("paExample") << "paExample" << QRect(0, 352, 1025, 393) << none << 11 << false << false;
    QTest::newRow("bbTest") << "bbTest" << QRect(865, 340, 145, 40) << "F1 - Тест" << 24 << true << false;
    QTest::newRow("gbIn1") << "gbIn1" << QRect(8, 8, 497, 315) << " А. Фигуры для запоминания (30 сек) " << 16 << true << false;
    QTest::newRow("gbIn2") << "gbIn2" << QRect(520, 8, 498, 315) << " В. Расположите фигуры в нужном порядке (60 сек) " << 16 << true << false;
    QTest::newRow("gbIn3") << "gbIn3" << QRect(77, 200, 337, 107) << " Фигуры " << 16 << true << false;
}

void LayoutTest::controlsHaveTheirPlaceTextAndFont()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(int, pixels);
    QFETCH(bool, bold);
    QFETCH(bool, hiddenAtStart);
    FormFixture f;
    auto *control = f.form->findChild<QWidget *>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(control->font().pixelSize(), pixels);
    QCOMPARE(control->font().bold(), bold);
    QCOMPARE(control->isHidden(), hiddenAtStart);
    if (!text.isNull()) {
        if (auto *box = dynamic_cast<ui::GroupBox *>(control))
            QCOMPARE(box->caption(), text);
        else if (auto *button = qobject_cast<QPushButton *>(control))
            QCOMPARE(button->text(), text);
    }
    if (auto *box = dynamic_cast<ui::GroupBox *>(control); box && name != QLatin1String("gbInstr")
        && !name.startsWith(QLatin1String("gbIn")) && name != QLatin1String("gbAnswer"))
        QCOMPARE(box->captionColor(), ui::Maroon);
    QVERIFY(control->toolTip().isEmpty()); // no tooltips on the main window
}

void LayoutTest::layersFillTheClientArea()
{
    FormFixture f;
    f.form->resize(1100, 800);
    for (ui::Panel *layer : {f.form->PaPassword, f.form->paTest, f.form->paInstr})
        QCOMPARE(layer->geometry(), QRect(0, 0, 1100, 800));
    f.form->resize(900, 600); // smaller: the layers shrink, nothing moves
    QCOMPARE(f.form->paInstr->geometry(), QRect(0, 0, 900, 600));
    QCOMPARE(f.form->bbTest->mapTo(f.form.get(), QPoint(0, 0)), QPoint(865, 692));
    QCOMPARE(f.form->gbIn3->mapTo(f.form.get(), QPoint(0, 0)), QPoint(597, 560));
}

void LayoutTest::instructionTextIsExact()
{
    FormFixture f;
    const QStringList lines = f.form->mInstruction->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 19);
    QCOMPARE(lines[4], QStringLiteral("Для этого (см. Панель [В]) кликните \"мышью\" рисунок из панели [Фигуры], а затем \"мышью\""));
    QCOMPARE(lines[13], QStringLiteral("Если у Вас нет вопросов, нажмите на клавишу [F1] или кнопку [F1-Тест] для начала работы."));
    QCOMPARE(lines.mid(15), QStringList({QStringLiteral(" "), QStringLiteral(" "), QStringLiteral(" "), QStringLiteral(" ")}));
    for (int i : {2, 7, 9, 12, 14})
        QVERIFY(lines[i].isEmpty());
    // Board letters are Cyrillic А and В.
    QVERIFY(lines[1].contains(QStringLiteral("[\u0410]")));
    QVERIFY(lines[8].contains(QStringLiteral("[\u0412]")));
    QVERIFY(f.form->mInstruction->isReadOnly());
    QCOMPARE(f.form->mInstruction->lineWrapMode(), QTextEdit::NoWrap);
    QCOMPARE(f.form->mInstruction->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    // Tab stays in the text box.
    f.enterSubject();
    f.form->mInstruction->setFocus();
    QTest::keyClick(f.form->mInstruction, Qt::Key_Tab);
    QCOMPARE(f.form->focusWidget(), f.form->mInstruction);
}

// Lines 1 to 14, down to the one that tells the subject how to start, lie whole inside the box
// (each from its first to its last cursor place, from its top to its foot), the letters of each
// clear of the line above, as the subject sees them on the instruction layer.
void LayoutTest::instructionShowsLinesUpToTheKeyLineWhole()
{
    FormFixture f;
    f.enterSubject();
    ui::InstructionMemo *memo = f.form->mInstruction;
    const QRect viewport(QPoint(0, 0), memo->viewport()->size());
    const QFontMetricsF metrics(memo->font());
    qreal inkAbove = -1; // the foot of the letters of the line above, when it has any
    QTextBlock block = memo->document()->firstBlock();
    for (int number = 1; number <= 14; ++number, block = block.next()) {
        if (block.text().trimmed().isEmpty()) {
            inkAbove = -1;
            continue;
        }
        QTextCursor cursor(block);
        const QRect first = memo->cursorRect(cursor);
        cursor.movePosition(QTextCursor::EndOfBlock);
        const QRect last = memo->cursorRect(cursor);
        const QRect line(first.topLeft(), QPoint(last.left(), first.bottom()));
        QVERIFY2(viewport.contains(line), qPrintable(QStringLiteral("line %1 from (%2, %3) to (%4, %5) in %6 x %7")
            .arg(number).arg(line.left()).arg(line.top()).arg(line.right()).arg(line.bottom())
            .arg(viewport.width()).arg(viewport.height())));
        const QRectF ink = metrics.tightBoundingRect(block.text()).translated(line.left(), line.top() + metrics.ascent());
        QVERIFY2(inkAbove < 0 || ink.top() >= inkAbove, qPrintable(QStringLiteral("line %1").arg(number)));
        inkAbove = ink.bottom();
    }
    QCOMPARE(block.text(), QString()); // line 15, empty: what may lie below the edge starts here
}

void LayoutTest::variantItemsEndInLatinLetters()
{
    FormFixture f;
    QCOMPARE(f.form->cbVariant->count(), 2);
    QCOMPARE(f.form->cbVariant->itemText(0), QStringLiteral("Вариант ") + QLatin1Char('A'));
    QCOMPARE(f.form->cbVariant->itemText(1), QStringLiteral("Вариант ") + QLatin1Char('B'));
    QVERIFY(f.form->cbVariant->isEditable());
    QCOMPARE(f.form->EditPassword->echoMode(), QLineEdit::Password);
}

void LayoutTest::logInTabOrder()
{
    FormFixture f;
    f.logIn();
    f.form->BtnEnter->setFocus();
    const QList<QWidget *> order = {f.form->BtnExit, f.form->EditUser, f.form->EditPassword, f.form->cbVariant};
    for (QWidget *next : order) {
        QTest::keyClick(f.form->focusWidget(), Qt::Key_Tab);
        QWidget *focus = f.form->focusWidget();
        QVERIFY2(focus == next || next->isAncestorOf(focus), qPrintable(focus->objectName()));
    }
}

void LayoutTest::fontsHaveCyrillicFaces()
{
    FormFixture f;
    for (QWidget *w : {static_cast<QWidget *>(f.form->mInstruction), static_cast<QWidget *>(f.form->bbTest),
                       static_cast<QWidget *>(f.form->gbIn1), static_cast<QWidget *>(f.form->EditUser)}) {
        const QFontMetrics metrics(w->font());
        QVERIFY2(metrics.inFont(QChar(0x0416)) && metrics.inFont(QChar(0x044F)), qPrintable(w->objectName()));
    }
    QVERIFY(QFontInfo(f.form->mInstruction->font()).fixedPitch());
}

void LayoutTest::aboutBoxLayout()
{
    FormFixture f;
    ui::TAboutBox &about = *f.about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About"));
    QCOMPARE(about.size(), QSize(298, 225));
    QVERIFY(about.isHidden());
    QCOMPARE(about.OKButton->geometry(), QRect(111, 196, 75, 25));
    QVERIFY(about.OKButton->isDefault());
    QCOMPARE(about.Panel2->geometry(), QRect(8, 8, 281, 185));
    const auto *web = about.findChild<QLabel *>(QStringLiteral("WebLabel"));
    QCOMPARE(web->text(), QStringLiteral("KAVR.IM - Image Memory"));
    QVERIFY(web->font().bold());
    QCOMPARE(web->toolTip(), QStringLiteral("RX Library Web Site"));
    QCOMPARE(about.findChild<QLabel *>(QStringLiteral("AppIcon"))->toolTip(), QStringLiteral("Click twice here!"));
    QCOMPARE(about.findChild<QLabel *>(QStringLiteral("Label1"))->text(), QStringLiteral(" Version 2.01"));
    QCOMPARE(about.findChild<QLabel *>(QStringLiteral("Label4"))->text(), QStringLiteral("Contact points are: "));
    QVERIFY(about.findChild<QLabel *>(QStringLiteral("Label3"))->text().startsWith(
        QStringLiteral("Диагностика кратковременной\nобразной памяти\n")));
    int tooltips = 0;
    for (const QWidget *w : about.findChildren<QWidget *>())
        tooltips += !w->toolTip().isEmpty();
    QCOMPARE(tooltips, 2);
    // First shown: centred on the screen.
    about.ShowModeless();
    const QPoint offCentre = about.frameGeometry().center() - about.screen()->geometry().center();
    QVERIFY2(offCentre.manhattanLength() <= 1, qPrintable(QStringLiteral("%1 %2").arg(offCentre.x()).arg(offCentre.y())));
}

QTEST_MAIN(LayoutTest)
#include "test_layout.moc"
