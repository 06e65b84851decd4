#include "report/HtmlReport.h"

#include "testing/core/Format.h"
#include "testing/core/Protocol.h"

#include <algorithm>
#include <cmath>

namespace kavr::report {

namespace {

constexpr int BarWidth = 10;
constexpr int BarStep = 14;
constexpr int PlotLeft = 26;
constexpr int PlotTop = 6;
constexpr int PlotHeight = 44;
constexpr int ChartWidth = PlotLeft + 12 * BarStep;
constexpr int ChartHeight = PlotTop + PlotHeight + 4;
constexpr double ScaleStep = 5.0; // seconds

QString Esc(const QString &text)
{
    return text.toHtmlEscaped();
}

struct Bar
{
    const char *cssClass;
    const char *colour;
    const char *verdict;
};

Bar BarFor(const ChoiceRecord &c)
{
    if (!c.placed())
        return {NotPlacedBarClass, "#9e9e9e", "не поставлена"};
    if (c.correct())
        return {CorrectBarClass, "#2e7d32", "верно"};
    return {WrongBarClass, "#c62828", "неверно"};
}

// The chart's scale: its longest placement time rounded up to whole steps. Each chart has its
// own, so that one subject who sat out the whole answer time does not flatten the others;
// the axis label gives it.
double ScaleTop(const ProtocolRecord &record)
{
    double longest = 0;
    for (int i = 1; i <= 12; ++i)
        longest = std::max(longest, record.choices[i].Time);
    return std::max(ScaleStep, std::ceil(longest / ScaleStep) * ScaleStep);
}

QString Chart(const ProtocolRecord &record, const FormatSettings &numbers)
{
    const double top = ScaleTop(record);
    QString svg = QStringLiteral("<svg class=\"chart\" width=\"%1\" height=\"%2\" "
                                 "viewBox=\"0 0 %1 %2\" role=\"img\">")
                      .arg(ChartWidth)
                      .arg(ChartHeight);
    svg += QStringLiteral("<text x=\"0\" y=\"%1\" class=\"axis\">%2 с</text>")
               .arg(PlotTop + 6)
               .arg(FormatFixed(top, 0, numbers));
    svg += QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%2\" class=\"base\"/>")
               .arg(PlotLeft - 2)
               .arg(PlotTop + PlotHeight)
               .arg(ChartWidth);
    for (int i = 1; i <= 12; ++i) {
        const ChoiceRecord &c = record.choices[i];
        const Bar bar = BarFor(c);
        const int height = std::max(1, int(std::lround(c.Time / top * PlotHeight)));
        QString tip
            = QStringLiteral("Выбор %1: %2 сек").arg(i).arg(FormatFixed(c.Time, 2, numbers));
        if (c.placed())
            tip += QStringLiteral(", панель %1, ключ %2, ответ %3")
                       .arg(c.PanelNo)
                       .arg(c.Key)
                       .arg(c.Answer);
        tip += QStringLiteral(" — ") + QString::fromUtf8(bar.verdict);
        svg += QStringLiteral("<rect class=\"%1\" x=\"%2\" y=\"%3\" width=\"%4\" height=\"%5\" "
                              "fill=\"%6\"><title>%7</title></rect>")
                   .arg(QString::fromLatin1(bar.cssClass))
                   .arg(PlotLeft + (i - 1) * BarStep)
                   .arg(PlotTop + PlotHeight - height)
                   .arg(BarWidth)
                   .arg(height)
                   .arg(QString::fromLatin1(bar.colour), Esc(tip));
    }
    return svg + QStringLiteral("</svg>");
}

// "2 раза", "5 раз", "22 раза".
QString Times(int n)
{
    const bool few = n % 10 >= 2 && n % 10 <= 4 && (n % 100 < 12 || n % 100 > 14);
    return QString::number(n) + (few ? QStringLiteral(" раза") : QStringLiteral(" раз"));
}

QString Cell(const QString &text, const char *cssClass = nullptr)
{
    if (cssClass)
        return QStringLiteral("<td class=\"%1\">%2</td>")
            .arg(QString::fromLatin1(cssClass), Esc(text));
    return QStringLiteral("<td>%1</td>").arg(Esc(text));
}

constexpr char Style[] = R"(
body { font-family: "Liberation Sans", Arial, sans-serif; font-size: 14px; margin: 1.5em;
       color: #222; }
h1 { font-size: 20px; margin: 0 0 .3em; }
p.source { margin: 0 0 1em; color: #555; }
table { border-collapse: collapse; }
th, td { border: 1px solid #ccc; padding: 3px 6px; vertical-align: middle; }
th { background: #eee; font-weight: bold; text-align: center; }
td.n { text-align: right; font-variant-numeric: tabular-nums; }
td.note { font-size: 12px; color: #8a5a00; }
tbody tr:nth-child(even) { background: #f8f8f8; }
.legend span { display: inline-block; width: 10px; height: 10px; margin: 0 4px 0 12px; }
svg.chart text.axis { font-size: 8px; fill: #555; }
svg.chart line.base { stroke: #888; stroke-width: 1; }
)";

} // namespace

QByteArray HtmlReport(const QList<ProtocolRecord> &records, const QString &decimalMark,
                      const QString &source)
{
    FormatSettings numbers;
    numbers.decimalSeparator = decimalMark;

    QString html = QStringLiteral(
        "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\"/>\n"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
        "style-src 'unsafe-inline'\"/>\n<title>KAVR.IM</title>\n<style>");
    html += QString::fromUtf8(Style);
    html += QStringLiteral("</style>\n</head>\n<body>\n<h1>%1</h1>\n")
                .arg(Esc(protocol::TitleLine.toString()));
    html += QStringLiteral("<p class=\"source\">%1: %2, протоколов: %3</p>\n")
                .arg(QStringLiteral("Папка"), Esc(source))
                .arg(records.size());
    html += QStringLiteral(
        "<p class=\"legend\">Время выборов:<span style=\"background:#2e7d32\"></span>верно"
        "<span style=\"background:#c62828\"></span>неверно"
        "<span style=\"background:#9e9e9e\"></span>не поставлена</p>\n");

    html += QStringLiteral(
        "<table>\n<thead><tr><th>№</th><th>Код</th><th>Имя</th><th>Дата ПФО</th><th>Вариант</th>"
        "<th>Инструкция, сек</th><th>T ответа, сек</th><th>N[+]</th><th>N[-]</th><th>N[0]</th>"
        "<th>Tcp, сек</th><th>SD, сек</th><th>V, %</th><th>Время выборов</th><th>Примечание</th>"
        "</tr></thead>\n<tbody>\n");
    int number = 0;
    for (const ProtocolRecord &r : records) {
        const Score &s = r.score;
        html += QStringLiteral("<tr>");
        html += Cell(QString::number(++number), "n") + Cell(r.code) + Cell(r.name)
            + Cell(r.dateTime) + Cell(r.variant)
            + Cell(FormatFixed(r.instructionSeconds, 0, numbers), "n")
            + Cell(FormatFixed(r.answerSeconds, 0, numbers), "n")
            + Cell(QString::number(s.correct), "n") + Cell(QString::number(s.wrong), "n")
            + Cell(QString::number(s.missing), "n") + Cell(FormatFixed(s.mean, 2, numbers), "n")
            + Cell(FormatFixed(s.sd, 2, numbers), "n") + Cell(FormatFixed(s.cv, 0, numbers), "n");
        html += QStringLiteral("<td>") + Chart(r, numbers) + QStringLiteral("</td>");
        QStringList notes;
        if (r.recovered)
            notes << QStringLiteral("тест прерван, протокол восстановлен");
        if (r.setUps > 1)
            notes << QStringLiteral("установка обследуемого проведена ") + Times(r.setUps);
        html += Cell(notes.join(QStringLiteral("; ")), "note");
        html += QStringLiteral("</tr>\n");
    }
    html += QStringLiteral("</tbody>\n</table>\n</body>\n</html>\n");
    return html.toUtf8();
}

} // namespace kavr::report
