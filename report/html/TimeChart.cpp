#include "report/html/TimeChart.h"

#include "parameters/Figures.h"
#include "report/html/HtmlPage.h"

#include <algorithm>
#include <cmath>

namespace kavr::report {

namespace {

constexpr double ScaleStep = 5.0; // seconds

double ScaleTop(const ProtocolRecord &record)
{
    double longest = 0;
    for (int i = 1; i <= FigureCount; ++i)
        longest = std::max(longest, record.choices[i].Time);
    return std::max(ScaleStep, std::ceil(longest / ScaleStep) * ScaleStep);
}

const char *BarClass(const ChoiceRecord &c)
{
    if (!c.placed())
        return NotPlacedBarClass;
    return c.correct() ? CorrectBarClass : WrongBarClass;
}

namespace page {

constexpr int Width = 300;
constexpr int Height = 190;
constexpr int PlotLeft = 34;
constexpr int PlotRight = Width - 6;
constexpr int PlotTop = 16;
constexpr int PlotBottom = Height - 34;

// Gridlines every step that keeps them four to six.
double GridStep(double top)
{
    for (double step : {1.0, 2.0, 5.0, 10.0, 15.0, 20.0, 30.0}) {
        if (top / step <= 6)
            return step;
    }
    return 60.0;
}

QString Chart(const ProtocolRecord &record, const FormatSettings &numbers)
{
    const double top = ScaleTop(record);
    const double plotHeight = PlotBottom - PlotTop;
    const double slot = double(PlotRight - PlotLeft) / FigureCount;
    const double barWidth = slot * 0.64;

    QString svg = QStringLiteral(
                      "<svg class=\"times\" width=\"%1\" height=\"%2\" viewBox=\"0 0 %1 %2\" "
                      "role=\"img\" aria-label=\"Время выборов\"><defs>"
                      "<pattern id=\"hatch\" width=\"5\" height=\"5\" patternUnits=\"userSpaceOnUse\" "
                      "patternTransform=\"rotate(45)\"><rect width=\"5\" height=\"5\" fill=\"#fff\"/>"
                      "<rect width=\"2.2\" height=\"5\" fill=\"#b71c1c\"/></pattern></defs>")
                      .arg(Width)
                      .arg(Height);
    const double grid = GridStep(top);
    for (double s = 0; s <= top + 1e-9; s += grid) {
        const double y = PlotBottom - s / top * plotHeight;
        svg += QStringLiteral("<line class=\"grid\" x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%2\"/>"
                              "<text class=\"tick\" x=\"%4\" y=\"%5\">%6</text>")
                   .arg(PlotLeft)
                   .arg(y, 0, 'f', 1)
                   .arg(PlotRight)
                   .arg(PlotLeft - 4)
                   .arg(y + 3, 0, 'f', 1)
                   .arg(FormatFixed(s, 0, numbers));
    }
    svg += QStringLiteral("<text class=\"unit\" x=\"2\" y=\"10\">сек</text>");
    for (int i = 1; i <= FigureCount; ++i) {
        const ChoiceRecord &c = record.choices[i];
        const double x = PlotLeft + (i - 1) * slot + (slot - barWidth) / 2;
        const double h = std::max(1.0, c.Time / top * plotHeight);
        svg += QStringLiteral("<rect class=\"%1\" x=\"%2\" y=\"%3\" width=\"%4\" height=\"%5\"/>")
                   .arg(QString::fromLatin1(BarClass(c)))
                   .arg(x, 0, 'f', 1)
                   .arg(PlotBottom - h, 0, 'f', 1)
                   .arg(barWidth, 0, 'f', 1)
                   .arg(h, 0, 'f', 1);
        if (c.placed() || c.Time > 0)
            svg += QStringLiteral("<text class=\"value\" x=\"%1\" y=\"%2\">%3</text>")
                       .arg(x + barWidth / 2, 0, 'f', 1)
                       .arg(PlotBottom - h - 3, 0, 'f', 1)
                       .arg(FormatFixed(c.Time, 1, numbers));
        svg += QStringLiteral("<text class=\"row\" x=\"%1\" y=\"%2\">%3</text>")
                   .arg(x + barWidth / 2, 0, 'f', 1)
                   .arg(PlotBottom + 13)
                   .arg(i);
    }
    svg += QStringLiteral("<text class=\"axis\" x=\"%1\" y=\"%2\">номер выбора</text>")
               .arg((PlotLeft + PlotRight) / 2)
               .arg(Height - 4);
    return svg + QStringLiteral("</svg>");
}

} // namespace page

namespace row {

constexpr int BarWidth = 10;
constexpr int BarStep = 14;
constexpr int PlotLeft = 26;
constexpr int PlotTop = 6;
constexpr int PlotHeight = 44;
constexpr int Width = PlotLeft + FigureCount * BarStep;
constexpr int Height = PlotTop + PlotHeight + 4;

// Dark, middle and light: apart in grey as well.
const char *BarColour(const ChoiceRecord &c)
{
    if (!c.placed())
        return "#d5d5d5";
    return c.correct() ? "#1b5e20" : "#e57373";
}

const char *Verdict(const ChoiceRecord &c)
{
    if (!c.placed())
        return "не поставлена";
    return c.correct() ? "верно" : "неверно";
}

QString Chart(const ProtocolRecord &record, const FormatSettings &numbers)
{
    const double top = ScaleTop(record);
    QString svg = QStringLiteral("<svg class=\"chart\" width=\"%1\" height=\"%2\" "
                                 "viewBox=\"0 0 %1 %2\" role=\"img\">")
                      .arg(Width)
                      .arg(Height);
    svg += QStringLiteral("<text x=\"0\" y=\"%1\" class=\"axis\">%2 с</text>")
               .arg(PlotTop + 6)
               .arg(FormatFixed(top, 0, numbers));
    svg += QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%2\" class=\"base\"/>")
               .arg(PlotLeft - 2)
               .arg(PlotTop + PlotHeight)
               .arg(Width);
    for (int i = 1; i <= FigureCount; ++i) {
        const ChoiceRecord &c = record.choices[i];
        const int height = std::max(1, int(std::lround(c.Time / top * PlotHeight)));
        QString tip
            = QStringLiteral("Выбор %1: %2 сек").arg(i).arg(FormatFixed(c.Time, 2, numbers));
        if (c.placed())
            tip += QStringLiteral(", панель %1, ключ %2, ответ %3")
                       .arg(c.PanelNo)
                       .arg(c.Key)
                       .arg(c.Answer);
        tip += QStringLiteral(" — ") + QString::fromUtf8(Verdict(c));
        svg += QStringLiteral("<rect class=\"%1\" x=\"%2\" y=\"%3\" width=\"%4\" height=\"%5\" "
                              "fill=\"%6\"><title>%7</title></rect>")
                   .arg(QString::fromLatin1(BarClass(c)))
                   .arg(PlotLeft + (i - 1) * BarStep)
                   .arg(PlotTop + PlotHeight - height)
                   .arg(BarWidth)
                   .arg(height)
                   .arg(QString::fromLatin1(BarColour(c)), HtmlEscaped(tip));
    }
    return svg + QStringLiteral("</svg>");
}

} // namespace row

} // namespace

QString TimeChart(const ProtocolRecord &record, const FormatSettings &numbers, TimeChartSize size)
{
    return size == TimeChartSize::Page ? page::Chart(record, numbers) : row::Chart(record, numbers);
}

} // namespace kavr::report
