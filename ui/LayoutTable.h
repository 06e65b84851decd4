#pragma once
// The static layout of the main window as data, written once: where each control lies (pixels
// at 96 dpi in its parent's client area), its text and its font. The main window is built from
// it (MainWindowLayout.cpp); the black-box tests read where to click and what to look at from
// it too. Widget-free: QRect, QPoint and an RGB value.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QtGui/qrgb.h>

namespace kavr::ui::layout {

// The client area the layout is made for; stimuli are never scaled to another.
inline constexpr QSize ClientSize{1028, 753};

struct Font
{
    const char *face;
    int pixels;
    bool bold;
    QRgb color;
};

struct Control
{
    const char *name;
    QRect geometry;
    const char *text;
    Font font;
};

inline constexpr QRgb MaroonText = qRgb(128, 0, 0);
inline constexpr QRgb BlackText = qRgb(0, 0, 0);
inline constexpr Font SansLabel{"MS Sans Serif", 16, false, MaroonText};
inline constexpr Font SansField{"MS Sans Serif", 16, false, BlackText};
inline constexpr Font ArialBoard{"Arial", 16, true, MaroonText};

// Log-in layer (PaPassword), filling the client area.
inline constexpr Control gbVariant{"gbVariant", {303, 120, 338, 73}, "Выбор варианта теста", SansLabel};
inline constexpr Control cbVariant{"cbVariant", {98, 30, 137, 28}, "Выбор ", SansField}; // in gbVariant
inline constexpr Control GroupBoxUser{"GroupBoxUser", {303, 208, 338, 73}, "Введите имя пользователя", SansLabel};
inline constexpr Control EditUser{"EditUser", {16, 28, 305, 28}, "", SansField}; // in GroupBoxUser
inline constexpr Control GroupBoxPasswrd{"GroupBoxPasswrd", {303, 296, 338, 73}, "Введите пароль", SansLabel};
inline constexpr Control EditPassword{"EditPassword", {16, 28, 305, 28}, "", SansField}; // in GroupBoxPasswrd
inline constexpr Control BtnEnter{"BtnEnter", {272, 408, 145, 33}, "Enter - Ввод", SansField};
inline constexpr Control BtnExit{"BtnExit", {528, 408, 145, 33}, "Esc - Выход", SansField};
inline constexpr Control logInNotice{"logInNotice", {272, 452, 401, 40}, "", SansLabel};
// cbVariant's items are the variants' item texts (parameters/TestVariant.h).

// Test layer (paTest).
inline constexpr Control gbAnswer{"gbAnswer", {88, 472, 827, 272}, "", ArialBoard};

// Instruction layer (paInstr).
inline constexpr Control gbInstr{"gbInstr", {4, 4, 1015, 337}, "Инструкция к заданию", {"Arial", 19, false, MaroonText}};
inline constexpr Control mInstruction{"mInstruction", {6, 24, 1002, 305}, "", {"Courier New", 19, false, BlackText}}; // in gbInstr
inline constexpr Control paExample{"paExample", {0, 352, 1025, 393}, "", {}};
inline constexpr Control bbTest{"bbTest", {865, 340, 145, 40}, "F1 - Тест", {"Times New Roman", 24, true, MaroonText}}; // in paExample
// The practice boards' captions name the variant's phase lengths at %1 (its exposureCaption and
// answerCaption); А and В are Cyrillic, the boards' letters.
inline constexpr Control gbIn1{"gbIn1", {8, 8, 497, 315}, " А. Фигуры для запоминания (%1) ", ArialBoard}; // in paExample
inline constexpr Control gbIn2{"gbIn2", {520, 8, 498, 315}, " В. Расположите фигуры в нужном порядке (%1) ", ArialBoard}; // in paExample
inline constexpr Control gbIn3{"gbIn3", {77, 200, 337, 107}, " Фигуры ", ArialBoard}; // in gbIn2

// The point of gbIn3 where the pointer is put after the set-up: point (21, 10) of the first
// palette place (left 10, top 24 in gbIn3).
inline constexpr QPoint PaletteStartPoint{10 + 21, 24 + 10};

// What the log-in layer's captions say once the log-in has succeeded.
inline constexpr const char *SubjectCodeCaption = "Введите код обследуемого";
inline constexpr const char *SubjectNameCaption = "Введите Фамилию И.О. обследуемого";

// The closing message, in gbInstr's place on the instruction layer once the test is over.
inline constexpr const char *FinishedCaption = "Инструкция.";
inline constexpr const char *FinishedMessage[] = {
    "",
    "",
    "Тест закончен. Спасибо за работу.",
    "",
    "Спокойно сидите в кресле, пока не получите новых инструкций от психолога.",
    "",
    "Внимание! Просьба не разговаривать и не вертеться.",
};
inline constexpr int FinishedMessagePixels = 32; // 24 pt
inline constexpr QRgb FinishedMessageColor = qRgb(0, 0, 255);

// Where a control lies in the client area: its geometry moved by its parents' positions.
constexpr QRect InClient(const Control &control, QPoint parents = {})
{
    return control.geometry.translated(parents);
}

} // namespace kavr::ui::layout
