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

struct FontSpec
{
    const char *face;
    int pixels;
    bool bold;
    QColor color;
};

struct ControlSpec
{
    const char *name;
    QRect geometry;
    const char *text;
    FontSpec font;
};

const FontSpec SansLabel{"MS Sans Serif", 16, false, Maroon};
const FontSpec SansField{"MS Sans Serif", 16, false, WindowText};
const FontSpec ArialBoard{"Arial", 16, true, Maroon};

// Log-in layer.
const ControlSpec gbVariantSpec{"gbVariant", {303, 120, 338, 73}, "Выбор варианта теста", SansLabel};
const ControlSpec cbVariantSpec{"cbVariant", {98, 30, 137, 28}, "Выбор ", SansField};
const ControlSpec GroupBoxUserSpec{"GroupBoxUser", {303, 208, 338, 73}, "Введите имя пользователя", SansLabel};
const ControlSpec EditUserSpec{"EditUser", {16, 28, 305, 28}, "", SansField};
const ControlSpec GroupBoxPasswrdSpec{"GroupBoxPasswrd", {303, 296, 338, 73}, "Введите пароль", SansLabel};
const ControlSpec EditPasswordSpec{"EditPassword", {16, 28, 305, 28}, "", SansField};
const ControlSpec BtnEnterSpec{"BtnEnter", {272, 408, 145, 33}, "Enter - Ввод", SansField};
const ControlSpec BtnExitSpec{"BtnExit", {528, 408, 145, 33}, "Esc - Выход", SansField};
const ControlSpec laEntryProblemSpec{"laEntryProblem", {272, 452, 401, 40}, "", SansLabel};
const char *const VariantItems[] = {"Вариант A", "Вариант B"}; // Latin A and B

// Test layer.
const ControlSpec gbAnswerSpec{"gbAnswer", {88, 472, 827, 272}, "", ArialBoard};

// Instruction layer.
const ControlSpec gbInstrSpec{"gbInstr", {4, 4, 1015, 337}, "Инструкция к заданию", {"Arial", 19, false, Maroon}};
const ControlSpec mInstructionSpec{"mInstruction", {6, 24, 1002, 305}, "", {"Courier New", 19, false, WindowText}};
const ControlSpec paExampleSpec{"paExample", {0, 352, 1025, 393}, "", {}};
const ControlSpec bbTestSpec{"bbTest", {865, 340, 145, 40}, "F1 - Тест", {"Times New Roman", 24, true, Maroon}};
const ControlSpec gbIn1Spec{"gbIn1", {8, 8, 497, 315}, " А. Фигуры для запоминания (30 сек) ", ArialBoard};
const ControlSpec gbIn2Spec{"gbIn2", {520, 8, 498, 315}, " В. Расположите фигуры в нужном порядке (60 сек) ", ArialBoard};
const ControlSpec gbIn3Spec{"gbIn3", {77, 200, 337, 107}, " Фигуры ", ArialBoard};

// Lines are broken by hand for a monospaced face; the last four are single blanks.
const char *const Instruction[] = {
    "В этом задании в течение 30 секунд Вам будут предъявлены 12 геометрических фигур",
    "(см. Панель [А]). Ваша задача - запомнить расположение каждого рисунка.",
    "",
    "Далее в течение 60 секунд Вам необходимо правильно указать расположение исходных фигур.",
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
W *place(W *widget, const ControlSpec &layout)
{
    widget->setObjectName(QString::fromUtf8(layout.name));
    widget->setGeometry(layout.geometry);
    if (layout.font.face)
        widget->setFont(PixelFont(QString::fromUtf8(layout.font.face), layout.font.pixels, layout.font.bold));
    return widget;
}

GroupBox *groupBox(QWidget *parent, const ControlSpec &layout)
{
    auto *box = place(new GroupBox(parent), layout);
    box->setCaption(QString::fromUtf8(layout.text));
    box->setCaptionColor(layout.font.color);
    return box;
}

QLineEdit *edit(QWidget *parent, const ControlSpec &layout)
{
    auto *field = place(new QLineEdit(parent), layout);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Text, layout.font.color);
    field->setPalette(palette);
    return field;
}

BitButton *button(QWidget *parent, const ControlSpec &layout)
{
    auto *b = place(new BitButton(parent), layout);
    b->setText(QString::fromUtf8(layout.text));
    b->setCaptionColor(layout.font.color);
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

QStringList InstructionLines()
{
    QStringList lines;
    for (const char *line : Instruction)
        lines << QString::fromUtf8(line);
    return lines;
}

MainWindowControls BuildMainWindowLayout(QWidget *form)
{
    MainWindowControls c;
    c.PaPassword = layer(form, "PaPassword");
    c.paTest = layer(form, "paTest");
    c.paInstr = layer(form, "paInstr");

    // Log-in layer.
    c.gbVariant = groupBox(c.PaPassword, gbVariantSpec);
    c.cbVariant = place(new QComboBox(c.gbVariant), cbVariantSpec);
    c.cbVariant->setEditable(true);
    c.cbVariant->setInsertPolicy(QComboBox::NoInsert);
    for (const char *item : VariantItems)
        c.cbVariant->addItem(QString::fromUtf8(item));
    c.cbVariant->setEditText(QString::fromUtf8(cbVariantSpec.text));
    c.GroupBoxUser = groupBox(c.PaPassword, GroupBoxUserSpec);
    c.EditUser = edit(c.GroupBoxUser, EditUserSpec);
    c.GroupBoxPasswrd = groupBox(c.PaPassword, GroupBoxPasswrdSpec);
    c.EditPassword = edit(c.GroupBoxPasswrd, EditPasswordSpec);
    c.EditPassword->setEchoMode(QLineEdit::Password);
    c.BtnEnter = button(c.PaPassword, BtnEnterSpec);
    c.BtnEnter->setGlyphs(assets::ButtonGlyph(QStringLiteral("BtnEnter"), true),
                          assets::ButtonGlyph(QStringLiteral("BtnEnter"), false), 12);
    c.BtnExit = button(c.PaPassword, BtnExitSpec);
    c.BtnExit->setGlyphs(assets::ButtonGlyph(QStringLiteral("BtnExit"), true),
                         assets::ButtonGlyph(QStringLiteral("BtnExit"), false), 8);
    c.laEntryProblem = place(new QLabel(c.PaPassword), laEntryProblemSpec);
    c.laEntryProblem->setWordWrap(true);
    // It names files found in a shared folder: a name must never be taken for markup.
    c.laEntryProblem->setTextFormat(Qt::PlainText);
    c.laEntryProblem->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    c.laEntryProblem->setStyleSheet(QStringLiteral("color: rgb(128, 0, 0)"));
    for (QWidget *w : {static_cast<QWidget *>(c.gbVariant), static_cast<QWidget *>(c.GroupBoxUser),
                       static_cast<QWidget *>(c.GroupBoxPasswrd), static_cast<QWidget *>(c.BtnEnter),
                       static_cast<QWidget *>(c.BtnExit), static_cast<QWidget *>(c.laEntryProblem)})
        w->hide();
    QWidget::setTabOrder(c.BtnEnter, c.BtnExit);
    QWidget::setTabOrder(c.BtnExit, c.EditUser);
    QWidget::setTabOrder(c.EditUser, c.EditPassword);
    QWidget::setTabOrder(c.EditPassword, c.cbVariant);

    // Test layer.
    c.gbAnswer = groupBox(c.paTest, gbAnswerSpec);
    c.gbAnswer->hide();

    // Instruction layer.
    c.gbInstr = groupBox(c.paInstr, gbInstrSpec);
    c.mInstruction = place(new InstructionMemo(c.gbInstr), mInstructionSpec);
    QPalette memoPalette = c.mInstruction->palette();
    memoPalette.setColor(QPalette::Base, Qt::white);
    memoPalette.setColor(QPalette::Text, WindowText);
    c.mInstruction->setPalette(memoPalette);
    // The lines were broken by hand for Windows' whole-pixel advances: 88 characters of 11 px
    // fill the box; at Liberation Mono's 11.39 px the longest would run past its right edge.
    QFont memoFont = c.mInstruction->font();
    memoFont.setHintingPreference(QFont::PreferFullHinting);
    c.mInstruction->setFont(memoFont);
    c.mInstruction->setLines(InstructionLines(), false, InstructionLinesShownWhole);
    c.paExample = place(new Panel(c.paInstr), paExampleSpec);
    c.bbTest = button(c.paExample, bbTestSpec);
    c.gbIn1 = groupBox(c.paExample, gbIn1Spec);
    c.gbIn2 = groupBox(c.paExample, gbIn2Spec);
    c.gbIn3 = groupBox(c.gbIn2, gbIn3Spec);
    QWidget::setTabOrder(c.bbTest, c.mInstruction);
    return c;
}

} // namespace kavr::ui
