#pragma once
// The protocol's line layouts, written once: the program builds its lines from them and the
// results report reads protocols back with the same definitions.
#include "testing/core/ChoiceRecord.h"
#include "testing/core/Format.h"
#include "testing/core/Scoring.h"

#include <QStringList>
#include <QStringView>

#include <array>

namespace kavr::protocol {

// Line layouts in file order; Format() fills them.
inline constexpr QStringView TitleLine = u"Результаты выполнения теста \"Образная память\"";
// code, name, date and time
inline constexpr QStringView SubjectLineFormat = u"Код: %s  Имя: %s  Дата ПФО: %s";
inline constexpr QStringView InstructionLineFormat = u"Время изучения инструкции %3.0f сек";
inline constexpr QStringView FinishTimeLineFormat = u"Время окончания теста : %s"; // time
inline constexpr QStringView VariantLineFormat =
    u"%s. Время экспозиции %3.0f сек. Время для ответа %3.0f сек."; // variant, 30.0, 60.0
inline constexpr QStringView CountsLineFormat =
    u"T ответа = %3.0f сек,  N[+] = %d,  N[-] = %d,  N[0] = %d"; // answer time, N[+], N[-], N[0]
inline constexpr QStringView SpreadLineFormat =
    u"Tcp = %3.1f сек  SD = %3.1f сек  V = %2.0f%s"; // Tcp, SD, V, PercentSign
inline constexpr QStringView PercentSign = u"%";
inline constexpr QStringView SecondsLineFormat = u"%4.2f"; // Tcp, then SD, on lines of their own
inline constexpr QStringView ColumnTitlesFormat = u"%8s%11s%9s%6s%10s%6s";
inline constexpr std::array<QStringView, 6> ColumnTitles = {
    u"N выбора", u"Время", u" N панели", u"  Ключ", u" N рисунка", u" Ответ"};
// i, Time, PanelNo, Key, PictureNo, Answer, mark
inline constexpr QStringView RowFormat = u"%8d%11.2f%9d%6d%10d%6d%5s";
inline constexpr QStringView CorrectMark = u"+";
inline constexpr QStringView WrongMark = u"-";
inline constexpr QStringView NotPlacedMark = u"";

// The mark of a row: "+" correct, "-" wrong, empty when not placed.
QStringView RowMark(const ChoiceRecord &record);
// The row of Choices[i], protocol line 11 + i.
QString RowLine(int i, const ChoiceRecord &record, const FormatSettings &settings);

// The subject line's index among the protocol's lines.
inline constexpr int SubjectLineIndex = 1;
// Lines 1-3: title, "Код: ...  Имя: ...  Дата ПФО: ...", the code alone.
QStringList HeaderLines(const QString &code, const QString &name, const QDateTime &when,
                        const FormatSettings &settings);
// Line 4: "Время изучения инструкции %3.0f сек".
QString InstructionLine(double seconds, const FormatSettings &settings);
// Line 5: "Время окончания теста : " and the time.
QString FinishTimeLine(const QTime &time, const FormatSettings &settings);
// Lines 6-23: variant and its phase lengths (VariantNamed(variantText)), answer time and
// counts, Tcp/SD/V, Tcp and SD alone, the column titles and the twelve rows.
QStringList ResultLines(const QString &variantText, double answerSeconds, const Score &score,
                        const ChoiceTable &choices, const FormatSettings &settings);

} // namespace kavr::protocol
