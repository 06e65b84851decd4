#include "harness/ProtocolCheck.h"

#include "report/LineLayout.h"
#include "report/ProtocolReader.h"
#include "testing/core/Protocol.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cmath>

namespace kavr::harness {

namespace {

// Written out here rather than taken from the program's constants: a change there must show.
const QString Title = QStringLiteral("Результаты выполнения теста \"Образная память\"");
const QString PhaseLengths = QStringLiteral(". Время экспозиции  30 сек. Время для ответа  60 сек.");
constexpr int ResultLineCount = 19;
constexpr int RowWidth = 55;

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
    const report::LineLayout subject(protocol::SubjectLineFormat);
    const report::LineLayout instruction(protocol::InstructionLineFormat);
    const qsizetype resultStart = lines.size() - ResultLineCount;
    for (qsizetype i = 0; i < resultStart; ++i) {
        if (lines[i] == Title && i + 2 < resultStart) {
            const auto fields = subject.match(lines[i + 1]);
            if (!fields || !Matches(QStringLiteral("\\d\\d\\.\\d\\d\\.\\d{4}( \\d\\d:\\d\\d:\\d\\d)?"), fields->at(2)))
                problems << QStringLiteral("line %1 bears no date: %2").arg(i + 2).arg(lines[i + 1]);
            report.codes << lines[i + 2];
            ++report.headerBlocks;
            i += 2;
        } else if (instruction.match(lines[i])) {
            ++report.instructionLines;
        }
    }
    if (report.headerBlocks != record.setUps)
        problems << QStringLiteral("%1 header blocks, the reader saw %2").arg(report.headerBlocks).arg(record.setUps);
    if (lines.size() != 3 * report.headerBlocks + report.instructionLines + ResultLineCount)
        problems << QStringLiteral("%1 lines for %2 headers and %3 instruction lines: text after the last row")
                        .arg(lines.size()).arg(report.headerBlocks).arg(report.instructionLines);
    if (resultStart < 1 || !instruction.match(lines[resultStart - 1]))
        problems << QStringLiteral("no instruction time right before the results");
    for (const QString &code : std::as_const(report.codes))
        if (code != expectedCode)
            problems << QStringLiteral("header code «%1», file named for «%2»").arg(code, expectedCode);
    if (resultStart < 1)
        return report;

    // Result lines: the reader checked their layouts; the format and the constants here.
    const QStringList r = lines.mid(resultStart);
    if (!Matches(QStringLiteral("\\d\\d:\\d\\d:\\d\\d"), record.finishTime))
        problems << QStringLiteral("finish time ") + record.finishTime;
    if ((record.variant != QStringLiteral("Вариант A") && record.variant != QStringLiteral("Вариант B"))
        || r[1] != record.variant + PhaseLengths)
        problems << QStringLiteral("variant line «%1», «%2%3» expected").arg(r[1], record.variant, PhaseLengths);
    // Every number with a fraction carries the Russian decimal comma.
    static const QRegularExpression fraction(QStringLiteral("\\d([^\\d\\s:])\\d"));
    for (int i = 2; i < ResultLineCount; ++i)
        for (const QRegularExpressionMatch &m : fraction.globalMatch(r[i]))
            if (m.captured(1) != QLatin1String(","))
                problems << QStringLiteral("a decimal separator other than a comma: ") + r[i];
    if (!r[4].contains(u',') || !r[5].contains(u','))
        problems << QStringLiteral("Tcp or SD without a decimal comma: ") + r[4] + u'|' + r[5];
    for (int i = 1; i <= 12; ++i)
        if (r[6 + i].size() != RowWidth)
            problems << QStringLiteral("row %1 is %2 characters wide").arg(i).arg(r[6 + i].size());

    // Placements fill the rows from the first; each panel, figure and position once.
    QSet<int> panels, keys, pictures, answers;
    int n = 0;
    double sum = 0, s1 = 0, s2 = 0;
    for (int i = 1; i <= 12; ++i) {
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
    if (answerTime > 62 || std::abs(sum - answerTime) > 0.5 + 12 * 0.005 + 0.001)
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
