#include "ui/MainWindowLayout.h"

#include "assets/Icons.h"
#include "ui/BitButton.h"
#include "ui/GroupBox.h"
#include "ui/InstructionMemo.h"
#include "ui/LookAndFeel.h"
#include "ui/Panel.h"
#include "ui/SystemColors.h"

#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QLineEdit>

namespace kavr::ui {

namespace {

using layout::Control;
using namespace layout;

// Lines are broken by hand for a monospaced face; the last four are single blanks. %1 is the
// variant's exposureInstruction, %2 its answerInstruction.
const char *const Instruction[] = {
    "В этом задании в течение %1 Вам будут предъявлены 12 геометрических фигур",
    "(см. Панель [А]). Ваша задача - запомнить расположение каждого рисунка.",
    "",
    "Далее в течение %2 Вам необходимо правильно указать расположение исходных фигур.",
    "Для этого (см. Панель [В]) кликните \"мышью\" рисунок из панели [Фигуры], а затем \"мышью\"",
    "кликните номер панели, на которой он ранее демонстрировался. Последовательность выбора",
    "фигур не имеет значения.",
    "",
    "Для тренировки, расположите фигуры на панели [В], как они представлены на панели [А].",
    "",
    "Напоминаем! Важно только правильное воспроизведение рисунков. Порядок воспроизведения",
    "не имеет значения. Во время выполнения теста вести какие-либо записи запрещено!",
    "",
    "Если у Вас нет вопросов, нажмите на клавишу [F1] или кнопку [F1-Тест] для начала работы.",
    "",
    " ",
    " ",
    " ",
    " ",
};
// Up to the line that tells how to start the test, the lines are read whole; the blank lines
// after it may lie below the box's lower edge.
constexpr int InstructionLinesShownWhole = 14;

template <typename W>
W *place(W *widget, const Control &row)
{
    widget->setObjectName(QString::fromUtf8(row.name));
    widget->setGeometry(row.geometry);
    if (row.font.face)
        widget->setFont(PixelFont(QString::fromUtf8(row.font.face), row.font.pixels, row.font.bold));
    return widget;
}

GroupBox *groupBox(QWidget *parent, const Control &row)
{
    auto *box = place(new GroupBox(parent), row);
    box->setCaption(QString::fromUtf8(row.text));
    box->setCaptionColor(QColor(row.font.color));
    return box;
}

QLineEdit *edit(QWidget *parent, const Control &row)
{
    auto *field = place(new QLineEdit(parent), row);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Text, QColor(row.font.color));
    field->setPalette(palette);
    return field;
}

BitButton *button(QWidget *parent, const Control &row)
{
    auto *b = place(new BitButton(parent), row);
    b->setText(QString::fromUtf8(row.text));
    b->setCaptionColor(QColor(row.font.color));
    b->setAutoDefault(false);
    return b;
}

Panel *layer(QWidget *form, const char *name)
{
    auto *panel = new Panel(form);
    panel->setObjectName(QString::fromUtf8(name));
    panel->setGeometry(form->rect());
    return panel;
}

} // namespace

QStringList InstructionLines(const TestVariant &variant)
{
    QStringList lines;
    for (const char *line : Instruction) {
        QString text = QString::fromUtf8(line);
        text.replace(QLatin1String("%1"), variant.exposureInstruction.toString());
        text.replace(QLatin1String("%2"), variant.answerInstruction.toString());
        lines << text;
    }
    return lines;
}

void ShowPhaseLengths(const MainWindowControls &c, const TestVariant &variant)
{
    c.gbIn1->setCaption(QString::fromUtf8(layout::gbIn1.text).arg(variant.exposureCaption));
    c.gbIn2->setCaption(QString::fromUtf8(layout::gbIn2.text).arg(variant.answerCaption));
    c.mInstruction->setLines(InstructionLines(variant), false, InstructionLinesShownWhole);
}

void ShowEntryControls(const MainWindowControls &c)
{
    for (QWidget *control : std::initializer_list<QWidget *>{c.GroupBoxUser, c.GroupBoxPasswrd,
                                                             c.gbVariant, c.BtnExit, c.BtnEnter})
        control->show();
}

void ShowLogInNotice(const MainWindowControls &c, const QString &text)
{
    if (text.isEmpty())
        return;
    c.logInNotice->setText(text);
    const int height = c.logInNotice->heightForWidth(c.logInNotice->width());
    if (height > c.logInNotice->height())
        c.logInNotice->resize(c.logInNotice->width(), height);
    c.logInNotice->show();
}

void ShowSubjectEntryCaptions(const MainWindowControls &c)
{
    c.GroupBoxUser->setCaption(QString::fromUtf8(layout::SubjectCodeCaption));
    c.GroupBoxPasswrd->setCaption(QString::fromUtf8(layout::SubjectNameCaption));
}

void ShowClosingMessage(const MainWindowControls &c)
{
    c.gbInstr->setCaption(QString::fromUtf8(layout::FinishedCaption));
    c.mInstruction->clear();
    c.mInstruction->setFont(
        PixelFont(c.mInstruction->font().family(), layout::FinishedMessagePixels, true));
    QPalette palette = c.mInstruction->palette();
    palette.setColor(QPalette::Text, QColor::fromRgb(layout::FinishedMessageColor));
    c.mInstruction->setPalette(palette);
    QStringList message;
    for (const char *line : layout::FinishedMessage)
        message << QString::fromUtf8(line);
    c.mInstruction->setLines(message, true);
}

MainWindowControls BuildMainWindowLayout(QWidget *form)
{
    MainWindowControls c;
    c.PaPassword = layer(form, "PaPassword");
    c.paTest = layer(form, "paTest");
    c.paInstr = layer(form, "paInstr");

    // Log-in layer.
    c.gbVariant = groupBox(c.PaPassword, layout::gbVariant);
    c.cbVariant = place(new QComboBox(c.gbVariant), layout::cbVariant);
    c.cbVariant->setEditable(true);
    c.cbVariant->setInsertPolicy(QComboBox::NoInsert);
    for (const TestVariant &variant : TestVariants)
        c.cbVariant->addItem(variant.itemText.toString());
    c.cbVariant->setEditText(QString::fromUtf8(layout::cbVariant.text));
    c.GroupBoxUser = groupBox(c.PaPassword, layout::GroupBoxUser);
    c.EditUser = edit(c.GroupBoxUser, layout::EditUser);
    c.GroupBoxPasswrd = groupBox(c.PaPassword, layout::GroupBoxPasswrd);
    c.EditPassword = edit(c.GroupBoxPasswrd, layout::EditPassword);
    c.EditPassword->setEchoMode(QLineEdit::Password);
    c.BtnEnter = button(c.PaPassword, layout::BtnEnter);
    c.BtnEnter->setGlyphs(assets::ButtonGlyph(QStringLiteral("BtnEnter"), true),
                          assets::ButtonGlyph(QStringLiteral("BtnEnter"), false), 12);
    c.BtnExit = button(c.PaPassword, layout::BtnExit);
    c.BtnExit->setGlyphs(assets::ButtonGlyph(QStringLiteral("BtnExit"), true),
                         assets::ButtonGlyph(QStringLiteral("BtnExit"), false), 8);
    c.logInNotice = place(new QLabel(c.PaPassword), layout::logInNotice);
    c.logInNotice->setWordWrap(true);
    // It names files found in a shared folder: a name must never be taken for markup.
    c.logInNotice->setTextFormat(Qt::PlainText);
    c.logInNotice->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    c.logInNotice->setStyleSheet(QStringLiteral("color: rgb(128, 0, 0)"));
    for (QWidget *w : {static_cast<QWidget *>(c.gbVariant), static_cast<QWidget *>(c.GroupBoxUser),
                       static_cast<QWidget *>(c.GroupBoxPasswrd), static_cast<QWidget *>(c.BtnEnter),
                       static_cast<QWidget *>(c.BtnExit), static_cast<QWidget *>(c.logInNotice)})
        w->hide();
    QWidget::setTabOrder(c.BtnEnter, c.BtnExit);
    QWidget::setTabOrder(c.BtnExit, c.EditUser);
    QWidget::setTabOrder(c.EditUser, c.EditPassword);
    QWidget::setTabOrder(c.EditPassword, c.cbVariant);

    // Test layer.
    c.gbAnswer = groupBox(c.paTest, layout::gbAnswer);
    c.gbAnswer->hide();

    // Instruction layer.
    c.gbInstr = groupBox(c.paInstr, layout::gbInstr);
    c.mInstruction = place(new InstructionMemo(c.gbInstr), layout::mInstruction);
    QPalette memoPalette = c.mInstruction->palette();
    memoPalette.setColor(QPalette::Base, Qt::white);
    memoPalette.setColor(QPalette::Text, WindowText);
    c.mInstruction->setPalette(memoPalette);
    // The lines were broken by hand for Windows' whole-pixel advances: 88 characters of 11 px
    // fill the box; at Liberation Mono's 11.39 px the longest would run past its right edge.
    QFont memoFont = c.mInstruction->font();
    memoFont.setHintingPreference(QFont::PreferFullHinting);
    c.mInstruction->setFont(memoFont);
    c.paExample = place(new Panel(c.paInstr), layout::paExample);
    c.bbTest = button(c.paExample, layout::bbTest);
    c.gbIn1 = groupBox(c.paExample, layout::gbIn1);
    c.gbIn2 = groupBox(c.paExample, layout::gbIn2);
    c.gbIn3 = groupBox(c.gbIn2, layout::gbIn3);
    // Until a variant is chosen the texts name the first one's lengths.
    ShowPhaseLengths(c, TestVariants.front());
    QWidget::setTabOrder(c.bbTest, c.mInstruction);
    return c;
}

} // namespace kavr::ui
