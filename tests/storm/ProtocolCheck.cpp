#include "ProtocolCheck.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <cmath>

namespace kavr::test {

namespace {

const QString Title = QStringLiteral("Результаты выполнения теста \"Образная память\"");
const QString ColumnTitles = QStringLiteral("N выбора      Время N панели  Ключ N рисунка Ответ");
constexpr int ResultLineCount = 19;

bool Matches(const QString &pattern, const QString &text, QRegularExpressionMatch *match = nullptr)
{
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^") + pattern + QStringLiteral("$")).match(text);
    if (match)
        *match = m;
    return m.hasMatch();
}

double Number(const QString &text)
{
    return QString(text).trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
}

struct Row
{
    double time = 0;
    int panel = 0, key = 0, picture = 0, answer = 0;
    QString mark;
};

} // namespace

ProtocolReport ProtocolCheck::check(const QByteArray &bytes, const QString &expectedCode)
{
    ProtocolReport report;
    QStringList &problems = report.problems;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        problems << QStringLiteral("byte order mark");
    if (!bytes.endsWith("\r\n"))
        problems << QStringLiteral("the last line has no CR LF");
    if (bytes.count('\n') != bytes.count("\r\n") || bytes.count('\r') != bytes.count("\r\n"))
        problems << QStringLiteral("a line end other than CR LF");
    QStringDecoder decoder("windows-1251");
    const QString text = decoder(bytes);
    if (decoder.hasError())
        problems << QStringLiteral("bytes outside Windows-1251");
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.size() < 3 + 1 + ResultLineCount) {
        problems << QStringLiteral("only %1 lines").arg(lines.size());
        return report;
    }

    // Header blocks and instruction-time lines.
    const qsizetype resultStart = lines.size() - ResultLineCount;
    bool lastWasInstruction = false;
    for (qsizetype i = 0; i < resultStart;) {
        if (lines[i] == Title && i + 2 < resultStart) {
            QRegularExpressionMatch m;
            if (!Matches(QStringLiteral("Код: (.*)  Имя: (.+)  Дата ПФО: \\d\\d\\.\\d\\d\\.\\d{4}( \\d\\d:\\d\\d:\\d\\d)?"),
                         lines[i + 1], &m))
                problems << QStringLiteral("line %1 is no code line: %2").arg(i + 2).arg(lines[i + 1]);
            else if (!lines[i + 1].startsWith(QStringLiteral("Код: ") + lines[i + 2] + QStringLiteral("  Имя: ")))
                problems << QStringLiteral("line %1 names another code than line %2").arg(i + 2).arg(i + 3);
            report.codes << lines[i + 2];
            ++report.headerBlocks;
            lastWasInstruction = false;
            i += 3;
        } else if (Matches(QStringLiteral("Время изучения инструкции +\\d+ сек"), lines[i])) {
            if (report.headerBlocks == 0)
                problems << QStringLiteral("instruction time before any header");
            ++report.instructionLines;
            lastWasInstruction = true;
            ++i;
        } else {
            problems << QStringLiteral("line %1 unexpected: %2").arg(i + 1).arg(lines[i]);
            ++i;
        }
    }
    if (report.headerBlocks == 0 || !lines.startsWith(Title))
        problems << QStringLiteral("the protocol does not begin with a header");
    if (!lastWasInstruction)
        problems << QStringLiteral("no instruction time before the results");
    for (const QString &code : std::as_const(report.codes))
        if (code != expectedCode)
            problems << QStringLiteral("header code «%1», file named for «%2»").arg(code, expectedCode);

    // Result lines.
    const QStringList r = lines.mid(resultStart);
    QRegularExpressionMatch m;
    if (!Matches(QStringLiteral("Время окончания теста : \\d\\d:\\d\\d:\\d\\d"), r[0]))
        problems << QStringLiteral("finish time line: ") + r[0];
    if (!Matches(QStringLiteral("Вариант [AB]\\. Время экспозиции  30 сек\\. Время для ответа  60 сек\\."), r[1]))
        problems << QStringLiteral("variant line: ") + r[1];
    int plus = -1, minus = -1, missing = -1;
    double answerTime = -1;
    if (Matches(QStringLiteral("T ответа = +(\\d+) сек,  N\\[\\+\\] = (\\d+),  N\\[-\\] = (\\d+),  N\\[0\\] = (\\d+)"), r[2], &m)) {
        answerTime = m.captured(1).toDouble();
        plus = m.captured(2).toInt();
        minus = m.captured(3).toInt();
        missing = m.captured(4).toInt();
    } else {
        problems << QStringLiteral("score line: ") + r[2];
    }
    double tcp = -1, sd = -1;
    if (!Matches(QStringLiteral("Tcp = *\\d+,\\d сек  SD = +\\d+,\\d сек  V = +\\d+%"), r[3]))
        problems << QStringLiteral("mean line: ") + r[3];
    if (Matches(QStringLiteral(" *\\d+,\\d\\d"), r[4]) && Matches(QStringLiteral(" *\\d+,\\d\\d"), r[5])) {
        tcp = Number(r[4]);
        sd = Number(r[5]);
    } else {
        problems << QStringLiteral("Tcp or SD line: ") + r[4] + QLatin1Char('|') + r[5];
    }
    if (r[6] != ColumnTitles)
        problems << QStringLiteral("column titles: ") + r[6];

    QList<Row> rows;
    for (int i = 1; i <= 12; ++i) {
        const QString &line = r[6 + i];
        if (!Matches(QStringLiteral("(.{8})(.{11})(.{9})(.{6})(.{10})(.{6})(.{5})"), line, &m)
            || m.captured(1).trimmed().toInt() != i
            || !Matches(QStringLiteral(" *\\d+,\\d\\d"), m.captured(2))) {
            problems << QStringLiteral("row %1: %2").arg(i).arg(line);
            continue;
        }
        Row row;
        row.time = Number(m.captured(2));
        row.panel = m.captured(3).trimmed().toInt();
        row.key = m.captured(4).trimmed().toInt();
        row.picture = m.captured(5).trimmed().toInt();
        row.answer = m.captured(6).trimmed().toInt();
        row.mark = m.captured(7).trimmed();
        rows << row;
    }
    if (rows.size() != 12)
        return report;

    // Placements fill the rows from the first; each panel, figure and position once.
    QSet<int> panels, keys, pictures, answers;
    int n = 0, countedPlus = 0;
    double sum = 0, s1 = 0, s2 = 0;
    for (int i = 0; i < 12; ++i) {
        const Row &row = rows[i];
        sum += row.time;
        if (row.panel == -1) {
            if (!row.mark.isEmpty())
                problems << QStringLiteral("row %1 is marked but not placed").arg(i + 1);
            continue;
        }
        if (i != n)
            problems << QStringLiteral("row %1 placed after an unplaced row").arg(i + 1);
        ++n;
        const bool inRange = row.panel >= 1 && row.panel <= 12 && row.key >= 1 && row.key <= 12
            && row.picture >= 1 && row.picture <= 12 && row.answer >= 1 && row.answer <= 12;
        if (!inRange)
            problems << QStringLiteral("row %1 holds a value out of range").arg(i + 1);
        if (row.mark != (row.key == row.answer ? QStringLiteral("+") : QStringLiteral("-")))
            problems << QStringLiteral("row %1 has the wrong mark").arg(i + 1);
        countedPlus += row.key == row.answer ? 1 : 0;
        panels << row.panel;
        keys << row.key;
        pictures << row.picture;
        answers << row.answer;
        s1 += row.time;
        s2 += row.time * row.time;
    }
    report.placed = n;
    if (panels.size() != n || keys.size() != n)
        problems << QStringLiteral("a panel placed twice");
    // A repeated set-up builds its boards over the earlier ones, whose answer figures show
    // through where a placed figure leaves the answer row; only then can a figure come twice.
    if (report.headerBlocks == 1 && (pictures.size() != n || answers.size() != n))
        problems << QStringLiteral("a figure placed twice");
    if (plus != countedPlus || minus != n - countedPlus || missing != 12 - n)
        problems << QStringLiteral("counts %1/%2/%3 against %4 placed, %5 right")
                        .arg(plus).arg(minus).arg(missing).arg(n).arg(countedPlus);
    // Every second of the answer phase is charged to some row; the rows are rounded to 0.01 s.
    if (answerTime < 0 || answerTime > 62 || std::abs(sum - answerTime) > 0.5 + 12 * 0.005 + 0.001)
        problems << QStringLiteral("answer time %1 s, rows add up to %2 s").arg(answerTime).arg(sum);
    const double mean = n > 0 ? s1 / n : 0;
    const double deviation = n > 1 ? std::sqrt(std::max(0.0, (n * s2 - s1 * s1) / (n * (n - 1.0)))) : 0;
    if (std::abs(mean - tcp) > 0.011 || std::abs(deviation - sd) > 0.02)
        problems << QStringLiteral("Tcp %1 and SD %2, the rows give %3 and %4").arg(tcp).arg(sd).arg(mean).arg(deviation);
    return report;
}

} // namespace kavr::test
