#include "report/html/GroupPage.h"

#include "assets/PictureCatalogue.h"
#include "parameters/Figures.h"
#include "report/html/HeatMap.h"
#include "report/html/HtmlPage.h"
#include "report/html/SubjectPage.h"
#include "report/html/TimeChart.h"
#include "testing/core/Format.h"
#include "testing/core/Protocol.h"

#include <QUrl>

namespace kavr::report {

namespace {

QString Esc(const QString &text)
{
    return HtmlEscaped(text);
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

QString Style()
{
    return QStringLiteral(R"(
html { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
body { font-family: "Liberation Sans", Arial, sans-serif; font-size: 14px; margin: 1.5em;
       color: #222; }
h1 { font-size: 20px; margin: 0 0 .3em; }
h2 { font-size: 17px; margin: 1.2em 0 .4em; }
p.source, p.scope { margin: 0 0 .4em; color: #555; }
p.scope b { color: #222; }
table { border-collapse: collapse; }
th, td { border: 1px solid #ccc; padding: 3px 6px; vertical-align: middle; }
th { background: #eee; font-weight: bold; text-align: center; }
td { white-space: nowrap; }
td.n { text-align: right; font-variant-numeric: tabular-nums; }
td.note { font-size: 12px; color: #8a5a00; white-space: normal; }
table.subjects > tbody > tr:nth-child(even) { background: #f8f8f8; }
.legend span { display: inline-block; width: 10px; height: 10px; margin: 0 4px 0 12px; }
svg.chart text.axis { font-size: 8px; fill: #555; }
svg.chart line.base { stroke: #888; stroke-width: 1; }
svg.pictures { position: absolute; }
section.group { margin-bottom: 1.5em; }
div.maps { display: flex; flex-wrap: wrap; gap: 24px; margin-top: .6em; }
figure.heat { margin: 0; }
figure.heat figcaption { font-weight: bold; margin-bottom: 4px; }
table.heat td { width: 92px; height: 64px; text-align: center; border: 2px solid #fff;
                padding: 2px; font-size: 12px; }
table.heat td.light { color: #fff; }
table.heat td.blank { background: #fff; border: 2px dashed #ccc; color: #888; }
table.heat div.head { font-weight: bold; font-size: 15px; }
table.heat svg.fig { width: 50px; height: 44px; background: #fff; display: block;
                     margin: 0 auto; }
table.heat span.fig { display: block; }
p.heatlegend { font-size: 12px; color: #555; }
span.scale span { display: inline-block; width: 14px; height: 12px; vertical-align: middle; }
p.zero { font-size: 12px; color: #555; margin: .4em 0; }
p.foot { margin-top: 1em; color: #777; font-size: 12px; }
)");
}

QString Decimal(double value, int decimals, const FormatSettings &numbers)
{
    return FormatFixed(value, decimals, numbers);
}

QString Share(std::optional<double> share, const FormatSettings &numbers)
{
    return share ? FormatFixed(*share * 100, 0, numbers) + QStringLiteral(" %") : QStringLiteral("—");
}

// The decimals a score is printed with in the protocol: counts and V whole, times in hundredths.
int ValueDecimals(Indicator indicator)
{
    return indicator == Indicator::Mean || indicator == Indicator::Sd ? 2 : 0;
}

QString ScopeLines(const ReportScope &scope, int shown)
{
    QString html = QStringLiteral("<p class=\"scope\">Прочитано <b>%1</b> из %2 файлов "
                                  "протоколов; отобрано <b>%3</b> (%4)")
                       .arg(scope.read)
                       .arg(scope.files)
                       .arg(shown)
                       .arg(Esc(scope.selection));
    if (scope.undated)
        html += QStringLiteral("; без читаемой даты не отобрано: %1").arg(scope.undated);
    html += QStringLiteral(".");
    if (scope.recovered)
        html += QStringLiteral(" Восстановленных протоколов (тест прерван): %1 — в таблице "
                               "отмечены, в групповых расчётах не участвуют.")
                    .arg(scope.recovered);
    html += QStringLiteral("</p>\n");
    if (!scope.withNames)
        html += QStringLiteral("<p class=\"scope\"><b>Сделано без имён испытуемых</b> (только "
                               "коды).</p>\n");
    return html;
}

QString GroupSection(const VariantGroup &group, FigurePictures &pictures,
                     const FormatSettings &numbers)
{
    QString html = QStringLiteral("<section class=\"group\"><h2>%1: испытуемых %2")
                       .arg(Esc(group.variant))
                       .arg(group.members.size());
    if (group.recovered)
        html += QStringLiteral(" (и восстановленных %1, не в расчётах)").arg(group.recovered);
    html += QStringLiteral("</h2>\n<table class=\"stats\"><tr><th>Показатель</th><th>Испытуемых"
                           "</th><th>Среднее</th><th>SD</th><th>Медиана</th><th>Размах</th></tr>");
    for (size_t k = 0; k < Indicators.size(); ++k) {
        const Descriptive &d = group.indicators[k];
        const int decimals = ValueDecimals(Indicators[k]);
        const auto cell = [](const QString &text) {
            return QStringLiteral("<td class=\"n\">%1</td>").arg(text);
        };
        html += QStringLiteral("<tr><th>%1</th>").arg(Esc(IndicatorName(Indicators[k])))
            + cell(QString::number(d.n));
        if (d.n == 0) {
            html += cell(QStringLiteral("—")).repeated(4) + QStringLiteral("</tr>");
            continue;
        }
        html += cell(Decimal(d.mean, 2, numbers))
            + cell(d.sd ? Decimal(*d.sd, 2, numbers) : QStringLiteral("—"))
            + cell(Decimal(d.median, 2, numbers))
            + cell(Decimal(d.min, decimals, numbers) + QStringLiteral("–")
                   + Decimal(d.max, decimals, numbers))
            + QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table>\n<p class=\"zero\">Tcp — среди поставивших хотя бы одну "
                           "фигуру, SD и V — хотя бы две.</p>\n");

    const auto lines = [&](const CellFigures &c) {
        QString text = QStringLiteral("верно %1").arg(Share(c.share(), numbers));
        text += c.time.n ? QStringLiteral("<br/>%1 с").arg(Decimal(c.time.mean, 2, numbers))
                         : QStringLiteral("<br/>не ставили");
        return text;
    };
    PerFigure<HeatCell> panels, figures;
    for (int k = 1; k <= FigureCount; ++k) {
        panels[k] = {QString::number(k), group.panels[k].share(), lines(group.panels[k])};
        const QString label = QStringLiteral("фигура %1").arg(k);
        figures[k] = {group.variantIndex >= 0
                          ? pictures.use(assets::ExposurePicture(group.variantIndex, k), QStringLiteral("fig"), label)
                          : label,
                      group.figures[k].share(), lines(group.figures[k])};
    }
    html += QStringLiteral("<div class=\"maps\">")
        + HeatMap(QStringLiteral("Панели: доля верно поставленных и среднее время"), panels)
        + HeatMap(QStringLiteral("Фигуры: доля верно поставленных и среднее время"), figures)
        + QStringLiteral("</div>\n<p class=\"heatlegend\">Доля верных: 0 % %1 100 %. "
                         "Время — среднее время выборов, поставивших фигуру на панель "
                         "(или эту фигуру).</p>\n</section>\n")
              .arg(HeatLegend());
    return html;
}

QString Z(std::optional<double> z, const FormatSettings &numbers)
{
    return z ? Decimal(*z, 2, numbers) : QStringLiteral("—");
}

// A page's address relative to this one: each path segment percent-encoded.
QString PageUrl(const QString &pagesUrl, const ProtocolRecord &record)
{
    return pagesUrl + QString::fromLatin1(QUrl::toPercentEncoding(SubjectPageFileName(record)));
}

// One subject's row of the table.
QString SubjectRow(int n, const ProtocolRecord &r, const ZScores &z,
                   const GroupPageOptions &options, const FormatSettings &numbers)
{
    const Score &s = r.score;
    QString html = QStringLiteral("<tr>") + Cell(QString::number(n + 1), "n");
    if (options.pagesUrl.isEmpty())
        html += Cell(r.code);
    else
        html += QStringLiteral("<td><a href=\"%1\">%2</a></td>")
                    .arg(Esc(PageUrl(options.pagesUrl, r)), Esc(r.code));
    if (options.scope.withNames)
        html += Cell(r.name);
    html += Cell(r.dateTime) + Cell(r.variant)
        + Cell(FormatFixed(r.instructionSeconds, 0, numbers), "n")
        + Cell(FormatFixed(r.answerSeconds, 0, numbers), "n")
        + Cell(QString::number(s.correct), "n") + Cell(QString::number(s.wrong), "n")
        + Cell(QString::number(s.missing), "n") + Cell(FormatFixed(s.mean, 2, numbers), "n")
        + Cell(FormatFixed(s.sd, 2, numbers), "n") + Cell(FormatFixed(s.cv, 0, numbers), "n");
    html += Cell(Z(z.correct, numbers), "n") + Cell(Z(z.mean, numbers), "n");
    html += QStringLiteral("<td>") + TimeChart(r, numbers, TimeChartSize::TableRow)
        + QStringLiteral("</td>");
    QStringList notes;
    if (r.recovered)
        notes << QStringLiteral("тест прерван, протокол восстановлен");
    if (r.setUps > 1)
        notes << QStringLiteral("установка обследуемого проведена ") + Times(r.setUps);
    html += Cell(notes.join(QStringLiteral("; ")), "note");
    return html + QStringLiteral("</tr>\n");
}

} // namespace

QByteArray GroupPage(const QList<ProtocolRecord> &records, const GroupStatistics &statistics,
                      const GroupPageOptions &options)
{
    FormatSettings numbers;
    numbers.decimalSeparator = options.decimalMark;
    const ReportScope &scope = options.scope;
    FigurePictures pictures(options.pictures);

    QString html = HtmlStart(QStringLiteral("KAVR.IM"), Style());
    html += QStringLiteral("<h1>%1</h1>\n").arg(Esc(protocol::TitleLine.toString()));
    html += QStringLiteral("<p class=\"source\">%1: %2, протоколов: %3</p>\n")
                .arg(QStringLiteral("Папка"), Esc(scope.folder))
                .arg(records.size());
    html += ScopeLines(scope, int(records.size()));

    for (const VariantGroup &group : statistics.groups)
        html += GroupSection(group, pictures, numbers);

    html += QStringLiteral(
        "<h2>Испытуемые</h2>\n<p class=\"legend\">Время выборов:<span style=\"background:#1b5e20\">"
        "</span>верно<span style=\"background:#e57373\"></span>неверно"
        "<span style=\"background:#d5d5d5\"></span>не поставлена</p>\n"
        "<p class=\"zero\">z N[+] и z Tcp: отклонение от среднего испытуемых того же варианта "
        "<b>в этой папке</b>, в SD; это не норма.</p>\n");
    html += QStringLiteral("<table class=\"subjects\">\n<thead><tr><th>№</th><th>Код</th>");
    if (scope.withNames)
        html += QStringLiteral("<th>Имя</th>");
    html += QStringLiteral(
        "<th>Дата ПФО</th><th>Вариант</th><th>Инструкция, сек</th><th>T ответа, сек</th>"
        "<th>N[+]</th><th>N[-]</th><th>N[0]</th><th>Tcp, сек</th><th>SD, сек</th><th>V, %</th>"
        "<th>z N[+] (в этой папке, не норма)</th><th>z Tcp (в этой папке, не норма)</th>"
        "<th>Время выборов</th><th>Примечание</th></tr></thead>\n<tbody>\n");
    // Built row by row as UTF-8: ten thousand rows are some 25 MB, twice that as UTF-16.
    QByteArray page = html.toUtf8();
    page.reserve(page.size() + records.size() * 2800 + 200000);
    for (qsizetype n = 0; n < records.size(); ++n)
        page += SubjectRow(int(n), records.at(n),
                           n < statistics.z.size() ? statistics.z.at(n) : ZScores{}, options,
                           numbers)
                    .toUtf8();
    html.clear();
    html += QStringLiteral("</tbody>\n</table>\n");
    if (!options.generator.isEmpty())
        html += QStringLiteral("<p class=\"foot\">%1</p>\n").arg(Esc(options.generator));
    html += pictures.definitions();
    page += (html + HtmlEnd()).toUtf8();
    return page;
}

QByteArray GroupPage(const QList<ProtocolRecord> &records, const QString &decimalMark,
                      const QString &source)
{
    GroupPageOptions options;
    options.decimalMark = decimalMark;
    options.scope.folder = source;
    options.scope.files = options.scope.read = options.scope.selected = int(records.size());
    options.scope.selection = QStringLiteral("все протоколы");
    for (const ProtocolRecord &r : records)
        options.scope.recovered += r.recovered;
    return GroupPage(records, ComputeGroupStatistics(records), options);
}

} // namespace kavr::report
