#include "testing/core/Protocol.h"

#include "parameters/TestVariant.h"

namespace kavr::protocol {

QStringView RowMark(const ChoiceRecord &record)
{
    if (!record.placed())
        return NotPlacedMark;
    return record.correct() ? CorrectMark : WrongMark;
}

QString RowLine(int i, const ChoiceRecord &record, const FormatSettings &settings)
{
    return Format(RowFormat,
                  {i, record.Time, record.PanelNo, record.Key, record.PictureNo, record.Answer,
                   RowMark(record).toString()},
                  settings);
}

QStringList HeaderLines(const QString &code, const QString &name, const QDateTime &when,
                        const FormatSettings &settings)
{
    return {TitleLine.toString(),
            Format(SubjectLineFormat, {code, name, DateTimeToStr(when, settings)}, settings),
            code};
}

QString InstructionLine(double seconds, const FormatSettings &settings)
{
    return Format(InstructionLineFormat, {seconds}, settings);
}

QString FinishTimeLine(const QTime &time, const FormatSettings &settings)
{
    return Format(FinishTimeLineFormat, {TimeToStr(time, settings)}, settings);
}

QStringList ResultLines(const QString &variantText, double answerSeconds, const Score &score,
                        const ChoiceTable &choices, const FormatSettings &settings)
{
    const TestVariant &variant = VariantNamed(variantText);
    QStringList lines;
    lines << Format(VariantLineFormat,
                    {variantText, double(variant.exposureSeconds), double(variant.answerSeconds)},
                    settings)
          << Format(CountsLineFormat, {answerSeconds, score.correct, score.wrong, score.missing},
                    settings)
          << Format(SpreadLineFormat, {score.mean, score.sd, score.cv, PercentSign.toString()},
                    settings)
          << Format(SecondsLineFormat, {score.mean}, settings)
          << Format(SecondsLineFormat, {score.sd}, settings);
    lines << Format(ColumnTitlesFormat,
                    {ColumnTitles[0].toString(), ColumnTitles[1].toString(),
                     ColumnTitles[2].toString(), ColumnTitles[3].toString(),
                     ColumnTitles[4].toString(), ColumnTitles[5].toString()},
                    settings);
    for (int i = 1; i <= FigureCount; ++i)
        lines << RowLine(i, choices[i], settings);
    return lines;
}

} // namespace kavr::protocol
