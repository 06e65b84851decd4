#include "report/html/HeatMap.h"

#include "parameters/Figures.h"
#include "report/html/HtmlPage.h"

#include <algorithm>
#include <cmath>

namespace kavr::report {

namespace {

// From a pale to a deep blue: lightness falls steadily, so the order survives grey printing.
constexpr int Pale[3] = {0xf4, 0xf8, 0xfc};
constexpr int Deep[3] = {0x0d, 0x2f, 0x6b};

int Mix(int from, int to, double t)
{
    return int(std::lround(from + (to - from) * t));
}

} // namespace

QString HeatColour(double share)
{
    const double t = std::clamp(share, 0.0, 1.0);
    return QStringLiteral("#%1%2%3")
        .arg(Mix(Pale[0], Deep[0], t), 2, 16, QLatin1Char('0'))
        .arg(Mix(Pale[1], Deep[1], t), 2, 16, QLatin1Char('0'))
        .arg(Mix(Pale[2], Deep[2], t), 2, 16, QLatin1Char('0'));
}

bool HeatTextLight(double share)
{
    return share > 0.55;
}

QString HeatMap(const QString &caption, const PerFigure<HeatCell> &cells)
{
    QString html = QStringLiteral("<figure class=\"heat\"><figcaption>%1</figcaption>"
                                  "<table class=\"heat\">")
                       .arg(HtmlEscaped(caption));
    for (int row = 0; row < 3; ++row) {
        html += QStringLiteral("<tr>");
        for (int column = 0; column < 4; ++column) {
            const HeatCell &cell = cells[row * 4 + column + 1];
            if (cell.share)
                html += QStringLiteral("<td class=\"%1\" style=\"background:%2\">")
                            .arg(HeatTextLight(*cell.share) ? QStringLiteral("light")
                                                            : QStringLiteral("dark"),
                                 HeatColour(*cell.share));
            else
                html += QStringLiteral("<td class=\"blank\">");
            html += QStringLiteral("<div class=\"head\">%1</div><div class=\"lines\">%2</div></td>")
                        .arg(cell.head, cell.lines);
        }
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table></figure>");
}

QString HeatLegend()
{
    QString html = QStringLiteral("<span class=\"scale\">");
    for (int step = 0; step <= 10; ++step)
        html += QStringLiteral("<span style=\"background:%1\"></span>").arg(HeatColour(step / 10.0));
    return html + QStringLiteral("</span>");
}

} // namespace kavr::report
