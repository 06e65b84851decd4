#include "report/html/TimeChart.h"

#include "testing/core/Figures.h"

#include <algorithm>
#include <cmath>

namespace kavr::report {

namespace {

constexpr int Width = 300;
constexpr int Height = 190;
constexpr int PlotLeft = 34;
constexpr int PlotRight = Width - 6;
constexpr int PlotTop = 16;
constexpr int PlotBottom = Height - 34;
constexpr double ScaleStep = 5.0; // seconds

// Gridlines every step that keeps them four to six.
double GridStep(double top)
{
    for (double step : {1.0, 2.0, 5.0, 10.0, 15.0, 20.0, 30.0}) {
        if (top / step <= 6)
            return step;
    }
    return 60.0;
}

} // namespace

QString TimeChart(const ProtocolRecord &record, const FormatSettings &numbers)
{
    double longest = 0;
    for (int i = 1; i <= FigureCount; ++i)
        longest = std::max(longest, record.choices[i].Time);
    const double top = std::max(ScaleStep, std::ceil(longest / ScaleStep) * ScaleStep);
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
        const char *cssClass = !c.placed() ? "none" : c.correct() ? "ok" : "wrong";
        svg += QStringLiteral("<rect class=\"%1\" x=\"%2\" y=\"%3\" width=\"%4\" height=\"%5\"/>")
                   .arg(QString::fromLatin1(cssClass))
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

} // namespace kavr::report
