#include "harness/ProtocolCheck.h"

#include "parameters/Figures.h"
#include "parameters/TestVariant.h"
#include "report/read/ProtocolReader.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cmath>

namespace kavr::harness {

namespace {

// The fixed text of each line, written out here rather than taken from the program's layouts,
// which the reader shares with the writer: a change there must show. Fractions carry the
// Russian decimal comma. The variants' names and phase lengths are the test's parameters.
const QString Title = QStringLiteral("Результаты выполнения теста \"Образная память\"");
const QString SubjectLine = QStringLiteral("Код: .*  Имя: .+  Дата ПФО: \\d\\d\\.\\d\\d\\.\\d{4}( \\d\\d:\\d\\d:\\d\\d)?");
const QString InstructionLine = QStringLiteral("Время изучения инструкции +\\d+ сек");
const QString FinishTimeLine = QStringLiteral("Время окончания теста : \\d\\d:\\d\\d:\\d\\d");
const QString PhaseLengths = QStringLiteral(". Время экспозиции %1 сек. Время для ответа %2 сек.");
const QString CountsLine = QStringLiteral("T ответа = +\\d+ сек,  N\\[\\+\\] = \\d+,  N\\[-\\] = \\d+,  N\\[0\\] = \\d+");
const QString SpreadLine = QStringLiteral("Tcp = *\\d+,\\d сек  SD = +\\d+,\\d сек  V = +\\d+%");
const QString SecondsLine = QStringLiteral(" *\\d+,\\d\\d");
const QString ColumnTitles = QStringLiteral("N выбора      Время N панели  Ключ N рисунка Ответ");
// Columns 8, 11, 9, 6, 10, 6 and 5 wide: number, time, panel, key, picture, answer, mark.
const QString RowLine = QStringLiteral(" {6}[ 1]\\d *\\d+,\\d\\d.{9}.{6}.{10}.{6}.{4}(.)");
constexpr int ResultLineCount = 19;

bool Matches(const QString &pattern, const QString &text)
{
    return QRegularExpression(QStringLiteral("^") + pattern + QStringLiteral("$")).match(text).hasMatch();
}

void CheckBytes(const QByteArray &bytes, QStringList &problems)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        problems << QStringLiteral("byte order mark");
    if (!bytes.endsWith("\r\n"))
        problems << QStringLiteral("the last line has no CR LF");
    if (bytes.count('\n') != bytes.count("\r\n") || bytes.count('\r') != bytes.count("\r\n"))
        problems << QStringLiteral("a line end other than CR LF");
    QStringDecoder decoder("windows-1251");
    (void)QString(decoder(bytes));
    if (decoder.hasError())
        problems << QStringLiteral("bytes outside Windows-1251");
    QStringEncoder encoder("windows-1251");
    if (!bytes.startsWith(QByteArray(QByteArray(encoder(Title)) + "\r\n")))
        problems << QStringLiteral("the title is not in Windows-1251");
}

} // namespace

ProtocolReport ProtocolCheck::check(const QByteArray &bytes, const QString &expectedCode)
{
    ProtocolReport report;
    QStringList &problems = report.problems;
    CheckBytes(bytes, problems);

    const report::ReadOutcome outcome = report::ReadProtocol(bytes);
    if (!outcome.record) {
        problems << QStringLiteral("refused at line %1: %2").arg(outcome.error.line).arg(outcome.error.message);
        return report;
    }
    report.record = outcome.record;
    const report::ProtocolRecord &record = *outcome.record;

    QStringList &lines = report.lines;
    lines = QString(QStringDecoder("windows-1251")(bytes)).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();

    // Header blocks and instruction lines; the reader took them in any order.
    const qsizetype resultStart = lines.size() - ResultLineCount;
    for (qsizetype i = 0; i < resultStart; ++i) {
        if (lines[i] == Title && i + 2 < resultStart) {
            if (!Matches(SubjectLine, lines[i + 1]))
                problems << QStringLiteral("line %1 is no dated code line: %2").arg(i + 2).arg(lines[i + 1]);
            report.codes << lines[i + 2];
            ++report.headerBlocks;
            i += 2;
        } else if (Matches(InstructionLine, lines[i])) {
            ++report.instructionLines;
        } else {
            problems << QStringLiteral("line %1 unexpected: %2").arg(i + 1).arg(lines[i]);
        }
    }
    if (report.headerBlocks != record.setUps)
        problems << QStringLiteral("%1 header blocks, the reader saw %2").arg(report.headerBlocks).arg(record.setUps);
    if (lines.size() != 3 * report.headerBlocks + report.instructionLines + ResultLineCount)
        problems << QStringLiteral("%1 lines for %2 headers and %3 instruction lines: text after the last row")
                        .arg(lines.size()).arg(report.headerBlocks).arg(report.instructionLines);
    if (resultStart < 1 || !Matches(InstructionLine, lines[resultStart - 1]))
        problems << QStringLiteral("no instruction time right before the results");
    for (const QString &code : std::as_const(report.codes))
        if (code != expectedCode)
            problems << QStringLiteral("header code «%1», file named for «%2»").arg(code, expectedCode);
    if (resultStart < 1)
        return report;

    // Result lines: the reader read their values; their fixed text here.
    const QStringList r = lines.mid(resultStart);
    if (!Matches(FinishTimeLine, r[0]))
        problems << QStringLiteral("finish time line: ") + r[0];
    const int variantIndex = record.variantIndex();
    const TestVariant &variant = TestVariants.at(std::max(variantIndex, 0));
    const QString phaseLengths = PhaseLengths.arg(variant.exposureSeconds, 3).arg(variant.answerSeconds, 3);
    if (variantIndex < 0 || r[1] != record.variant + phaseLengths)
        problems << QStringLiteral("variant line «%1», «%2%3» expected").arg(r[1], record.variant, phaseLengths);
    if (!Matches(CountsLine, r[2]))
        problems << QStringLiteral("score line: ") + r[2];
    if (!Matches(SpreadLine, r[3]))
        problems << QStringLiteral("mean line: ") + r[3];
    if (!Matches(SecondsLine, r[4]) || !Matches(SecondsLine, r[5]))
        problems << QStringLiteral("Tcp or SD line: ") + r[4] + u'|' + r[5];
    if (r[6] != ColumnTitles)
        problems << QStringLiteral("column titles: ") + r[6];
    // The mark read off the row itself: the reader checks it with the writer's own function.
    static const QRegularExpression row(QStringLiteral("^") + RowLine + QStringLiteral("$"));
    for (int i = 1; i <= FigureCount; ++i) {
        const ChoiceRecord &choice = record.choices[i];
        const QString mark = !choice.placed() ? QStringLiteral(" ")
            : choice.Key == choice.Answer ? QStringLiteral("+") : QStringLiteral("-");
        const QRegularExpressionMatch m = row.match(r[6 + i]);
        if (!m.hasMatch() || m.captured(1) != mark)
            problems << QStringLiteral("row %1 (mark «%2» belongs there): %3").arg(i).arg(mark, r[6 + i]);
    }

    // Placements fill the rows from the first; each panel, figure and position once.
    QSet<int> panels, keys, pictures, answers;
    int n = 0;
    double sum = 0, s1 = 0, s2 = 0;
    for (int i = 1; i <= FigureCount; ++i) {
        const ChoiceRecord &row = record.choices[i];
        sum += row.Time;
        if (!row.placed())
            continue;
        if (i != n + 1)
            problems << QStringLiteral("row %1 placed after an unplaced row").arg(i);
        ++n;
        if (!(row.Key >= 1 && row.PictureNo >= 1 && row.Answer >= 1))
            problems << QStringLiteral("row %1 holds a value out of range").arg(i);
        panels << row.PanelNo;
        keys << row.Key;
        pictures << row.PictureNo;
        answers << row.Answer;
        s1 += row.Time;
        s2 += row.Time * row.Time;
    }
    report.placed = n;
    if (panels.size() != n || keys.size() != n)
        problems << QStringLiteral("a panel placed twice");
    // A repeated set-up builds its boards over the earlier ones, whose answer figures show
    // through where a placed figure leaves the answer row; only then can a figure come twice.
    if (record.setUps == 1 && (pictures.size() != n || answers.size() != n))
        problems << QStringLiteral("a figure placed twice");
    // Every second of the answer phase is charged to some row; the rows are rounded to 0.01 s.
    const double answerTime = record.answerSeconds;
    if (answerTime > variant.answerSeconds + 2 || std::abs(sum - answerTime) > 0.5 + FigureCount * 0.005 + 0.001)
        problems << QStringLiteral("answer time %1 s, rows add up to %2 s").arg(answerTime).arg(sum);
    const double mean = n > 0 ? s1 / n : 0;
    const double deviation = n > 1 ? std::sqrt(std::max(0.0, (n * s2 - s1 * s1) / (n * (n - 1.0)))) : 0;
    if (std::abs(mean - record.score.mean) > 0.011 || std::abs(deviation - record.score.sd) > 0.02)
        problems << QStringLiteral("Tcp %1 and SD %2, the rows give %3 and %4")
                        .arg(record.score.mean).arg(record.score.sd).arg(mean).arg(deviation);
    return report;
}

ProtocolReport ProtocolCheck::checkFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ProtocolReport report;
        report.problems << QStringLiteral("%1 cannot be opened: %2").arg(path, file.errorString());
        return report;
    }
    const QString name = QFileInfo(path).fileName();
    const QString code = name.endsWith(QLatin1String(".IM.txt")) ? name.chopped(7) : QString();
    ProtocolReport report = check(file.readAll(), code);
    if (code.isEmpty())
        report.problems << QStringLiteral("%1 is not named <code>.IM.txt").arg(name);
    return report;
}

} // namespace kavr::harness
