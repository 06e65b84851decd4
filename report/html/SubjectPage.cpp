#include "report/html/SubjectPage.h"

#include "assets/PictureCatalogue.h"
#include "parameters/Figures.h"
#include "report/figures/BoardFacts.h"
#include "report/html/FigurePictures.h"
#include "report/html/HtmlPage.h"
#include "report/html/TimeChart.h"
#include "testing/core/Format.h"
#include "testing/core/Protocol.h"

#include <QFileInfo>
#include <QStringList>

namespace kavr::report {

namespace {

// Sized for A4 portrait with 12 mm margins (186 mm, about 700 CSS pixels): two boards of four
// 82-pixel cells side by side.
QString Style()
{
    return QStringLiteral(R"(
@page { size: A4 portrait; margin: 11mm 12mm; }
* { box-sizing: border-box; }
html { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
body { font-family: "Liberation Sans", Arial, sans-serif; font-size: 12px; color: #111;
       width: 700px; margin: 14px auto; }
@media print { body { width: auto; margin: 0; } }
h1 { font-size: 16px; margin: 0 0 6px; }
svg.pictures { position: absolute; }
table.who { border-collapse: collapse; margin: 0 0 4px; }
table.who th { text-align: left; font-weight: normal; color: #444; padding: 1px 6px 1px 0; }
table.who td { font-weight: bold; padding: 1px 18px 1px 0; }
p.alert { border: 2px solid #111; padding: 4px 8px; margin: 5px 0; font-weight: bold; }
p.note { margin: 3px 0; }
div.boards { display: flex; justify-content: space-between; margin-top: 8px; }
figure.board { margin: 0; width: 346px; }
figure.board figcaption { font-weight: bold; font-size: 13px; margin: 0 0 3px; }
div.grid { display: grid; grid-template-columns: repeat(4, 82px); column-gap: 6px; row-gap: 5px; }
div.cell { width: 82px; }
div.cell div.head { display: flex; justify-content: space-between; height: 15px;
                    font-size: 11px; line-height: 15px; white-space: nowrap; padding: 0 3px; }
div.cell span.no { font-weight: bold; }
div.cell span.mark { font-weight: bold; font-size: 13px; }
div.cell div.pic { width: 82px; height: 73px; border-width: %1px; border-style: solid;
                   background: #fff; overflow: hidden; }
div.cell svg.fig { display: block; width: 76px; height: 67px; }
div.cell div.say { height: 67px; display: flex; align-items: center; justify-content: center;
                   text-align: center; font-size: 10px; color: #555; padding: 2px; }
div.cell div.cap { font-size: 10px; line-height: 12px; height: 36px; overflow: hidden; }
div.shown div.pic { border-color: %2; }
div.unknown div.pic { border-color: %3; }
div.unknown div.say { font-style: italic; }
div.correct div.pic { border-color: %4; }
div.wrong div.pic { border-color: %5; border-style: double; }
div.empty div.pic { border-color: %6; }
div.wrong div.head { background: #8e1b1b; color: #fff; }
div.notes { display: flex; justify-content: space-between; }
div.notes > div { width: 346px; }
span.item { display: inline-flex; align-items: center; margin: 2px 10px 2px 0; }
svg.small { width: 38px; height: 34px; border: 1px solid #999; margin-right: 4px; }
div.scores { display: flex; gap: 6px; margin: 10px 0 8px; }
div.scores div { border: 1px solid #777; padding: 3px 8px; text-align: center; min-width: 74px; }
div.scores span { display: block; font-size: 10px; color: #444; }
div.scores b { font-size: 15px; }
div.rows { display: flex; justify-content: space-between; align-items: flex-start; }
table.rows { border-collapse: collapse; font-size: 11px; }
table.rows th, table.rows td { border: 1px solid #999; padding: 1px 4px; white-space: nowrap; }
table.rows th { font-weight: normal; background: #eee; font-size: 10px; }
table.rows td { text-align: right; }
table.rows td.t { text-align: left; white-space: nowrap; }
table.rows tr.later td { color: #777; }
svg.times text { font-size: 9px; fill: #222; }
svg.times text.tick { text-anchor: end; }
svg.times text.value, svg.times text.row, svg.times text.axis { text-anchor: middle; }
svg.times text.value { font-size: 8px; }
svg.times line.grid { stroke: #ccc; stroke-width: 1; }
svg.times rect.ok { fill: #1b5e20; }
svg.times rect.wrong { fill: url(#hatch); stroke: #b71c1c; stroke-width: 1; }
svg.times rect.none { fill: #fff; stroke: #757575; stroke-width: 1; stroke-dasharray: 2 2; }
p.legend span.key { display: inline-block; width: 14px; height: 10px; margin: 0 4px 0 10px;
                    vertical-align: middle; }
p.foot { margin-top: 10px; color: #555; font-size: 10px; }
)")
        .arg(cell::FrameWidth)
        .arg(QString::fromLatin1(cell::Shown), QString::fromLatin1(cell::Unknown),
             QString::fromLatin1(cell::Correct), QString::fromLatin1(cell::Wrong),
             QString::fromLatin1(cell::Empty));
}

QString Numbers(const QList<int> &numbers)
{
    QStringList texts;
    for (int n : numbers)
        texts << QString::number(n);
    if (texts.size() <= 1)
        return texts.join(QString());
    const QString last = texts.takeLast();
    return texts.join(QStringLiteral(", ")) + QStringLiteral(" и ") + last;
}

QString Cell(const QString &kind, int panel, const QString &mark, const QString &inside,
             const QString &caption)
{
    return QStringLiteral("<div class=\"cell %1\"><div class=\"head\"><span class=\"no\">"
                          "панель %2</span><span class=\"mark\">%3</span></div><div class=\"pic\">"
                          "%4</div><div class=\"cap\">%5</div></div>")
        .arg(kind)
        .arg(panel)
        .arg(mark, inside, caption);
}

class Page final
{
public:
    Page(const ProtocolRecord &record, const SubjectPageOptions &options)
        : r(record), o(options), facts(ReadBoardFacts(record)), variant(record.variantIndex()),
          pictures(options.pictures)
    {
        numbers.decimalSeparator = options.decimalMark;
    }

    QString html()
    {
        QString page = HtmlStart(QStringLiteral("KAVR.IM — %1").arg(r.code), Style());
        page += head() + boards() + notes() + scores() + rows() + foot();
        page += pictures.definitions();
        return page + HtmlEnd();
    }

private:
    QString seconds(double value, int decimals = 2) const
    {
        return FormatFixed(value, decimals, numbers);
    }

    // A figure's picture, or its number where the variant has no pictures (a file edited by
    // hand).
    QString figure(int f, bool answer, const QString &cssClass)
    {
        const QString label = QStringLiteral("фигура %1").arg(f);
        if (variant < 0)
            return QStringLiteral("<div class=\"say\">%1</div>").arg(label);
        return pictures.use(answer ? assets::AnswerPicture(variant, f) : assets::ExposurePicture(variant, f),
                            cssClass, label);
    }

    QString head()
    {
        QString html = QStringLiteral("<h1>%1</h1>\n<table class=\"who\"><tr><th>Код</th><td>%2</td>")
                           .arg(HtmlEscaped(protocol::TitleLine.toString()), HtmlEscaped(r.code));
        if (o.withNames)
            html += QStringLiteral("<th>Имя</th><td>%1</td>").arg(HtmlEscaped(r.name));
        html += QStringLiteral("<th>Дата ПФО</th><td>%1</td></tr>\n<tr><th>Вариант</th><td>%2</td>"
                               "<th>Инструкция</th><td>%3 сек</td><th>Окончание теста</th>"
                               "<td>%4</td></tr></table>\n")
                    .arg(HtmlEscaped(r.dateTime), HtmlEscaped(r.variant),
                         seconds(r.instructionSeconds, 0), HtmlEscaped(r.finishTime));
        if (r.recovered)
            html += QStringLiteral(
                "<p class=\"alert\">Тест был прерван: протокол восстановлен из журнала при "
                "следующем запуске программы. Отнеситесь к оценкам с осторожностью; повторно "
                "тем же вариантом не тестировать.</p>\n");
        if (r.setUps > 1)
            html += QStringLiteral("<p class=\"note\">Установка обследуемого проводилась %1 "
                                   "раза; здесь последняя.</p>\n")
                        .arg(r.setUps);
        if (!facts.contradictions.isEmpty())
            html += QStringLiteral("<p class=\"alert\">Строки протокола не сходятся в одно "
                                   "расположение фигур (файл правили?): %1. Спорное показано "
                                   "как неизвестное.</p>\n")
                        .arg(HtmlEscaped(facts.contradictions.join(QStringLiteral("; "))));
        return html;
    }

    QString exposureCell(int p)
    {
        const PanelFacts &panel = facts.panels[p];
        if (panel.shownFigure == 0)
            return Cell(QStringLiteral("unknown"), p, QString(),
                        QStringLiteral("<div class=\"say\">не известно из протокола</div>"),
                        QString());
        return Cell(QStringLiteral("shown"), p, QString(),
                    figure(panel.shownFigure, false, QStringLiteral("fig")),
                    panel.deduced ? QStringLiteral("фигура %1, единственная оставшаяся")
                                        .arg(panel.shownFigure)
                                  : QStringLiteral("фигура %1").arg(panel.shownFigure));
    }

    QString answerCell(int p)
    {
        const PanelFacts &panel = facts.panels[p];
        if (panel.rows.isEmpty())
            return Cell(QStringLiteral("empty"), p, QString(),
                        QStringLiteral("<div class=\"say\">ничего не поставлено</div>"), QString());
        const int row = panel.rows.front();
        const ChoiceRecord &c = r.choices[row];
        QString caption = QStringLiteral("выбор %1 · %2 с<br/>").arg(row).arg(seconds(c.Time));
        if (c.correct())
            caption += QStringLiteral("верно");
        else if (IsFigureNumber(c.Key))
            caption += QStringLiteral("неверно: была ф. %1").arg(c.Key);
        else
            caption += QStringLiteral("неверно");
        if (panel.rows.size() > 1)
            caption += QStringLiteral("; и ещё %1").arg(panel.rows.size() - 1);
        const QString inside = IsFigureNumber(c.Answer)
            ? figure(c.Answer, true, QStringLiteral("fig"))
            : QStringLiteral("<div class=\"say\">фигура %1</div>").arg(c.Answer);
        return c.correct() ? Cell(QStringLiteral("correct"), p, QStringLiteral("+"), inside, caption)
                           : Cell(QStringLiteral("wrong"), p, QStringLiteral("−"), inside, caption);
    }

    QString boards()
    {
        QString exposure, answer;
        for (int p = 1; p <= FigureCount; ++p) {
            exposure += exposureCell(p);
            answer += answerCell(p);
        }
        return QStringLiteral(
                   "<div class=\"boards\"><figure class=\"board exposure\"><figcaption>Показ: "
                   "фигуры на панелях</figcaption><div class=\"grid\">%1</div></figure>"
                   "<figure class=\"board answer\"><figcaption>Ответ: панели, как их оставил "
                   "испытуемый</figcaption><div class=\"grid\">%2</div></figure></div>\n")
            .arg(exposure, answer);
    }

    QString smallFigure(int f, const QString &text)
    {
        return QStringLiteral("<span class=\"item\">%1%2</span>")
            .arg(figure(f, false, QStringLiteral("small")), text);
    }

    // Under the exposure: what the protocol does not tell. Under the answer: what was left.
    QString notes()
    {
        QString left;
        const QList<int> unknown = facts.unknownPanels();
        QList<int> unknownFigures; // the figures those panels held between them
        for (int f = 1; f <= FigureCount; ++f) {
            if (facts.figures[f].shownOn == 0)
                unknownFigures << f;
        }
        const bool clean = facts.contradictions.isEmpty();
        if (unknown.size() == FigureCount && clean) {
            left = QStringLiteral("<p class=\"note\">Ничего не поставлено: протокол не сообщает, "
                                  "где какая фигура была.</p>");
        } else if (unknown.size() == 1) {
            left = QStringLiteral("<p class=\"note\">Протокол не сообщает, какая фигура была на "
                                  "панели %1.</p>")
                       .arg(unknown.front());
        } else if (!unknown.isEmpty()) {
            left = QStringLiteral("<p class=\"note\">Протокол не сообщает, какие фигуры были на "
                                  "панелях %1%2</p>")
                       .arg(Numbers(unknown),
                            clean ? QStringLiteral(": на них ничего не поставлено. Там были "
                                                   "фигуры %1, в неизвестном порядке:")
                                        .arg(Numbers(unknownFigures))
                                  : QStringLiteral("."));
            if (clean) {
                left += QStringLiteral("<p>");
                for (int f : unknownFigures)
                    left += smallFigure(f, QStringLiteral("фигура %1").arg(f));
                left += QStringLiteral("</p>");
            }
        }
        for (int p = 1; p <= FigureCount; ++p) {
            if (facts.panels[p].deduced)
                left += QStringLiteral("<p class=\"note\">Фигура %1 на панели %2 выведена: "
                                       "единственная оставшаяся.</p>")
                            .arg(facts.panels[p].shownFigure)
                            .arg(p);
        }

        QString right;
        const QList<int> unplaced = facts.unplacedFigures();
        if (!unplaced.isEmpty()) {
            right = QStringLiteral("<p class=\"note\">Не поставлены:</p><p>");
            for (int f : unplaced) {
                QString text = QStringLiteral("фигура %1").arg(f);
                if (facts.figures[f].shownOn)
                    text += QStringLiteral(", была на панели %1").arg(facts.figures[f].shownOn);
                if (facts.pickedAtTimeOut && r.choices[facts.pickedAtTimeOut].Answer == f)
                    text += QStringLiteral("; выбрана, когда время вышло");
                right += smallFigure(f, text);
            }
            right += QStringLiteral("</p>");
        }
        return QStringLiteral("<div class=\"notes\"><div>%1</div><div>%2</div></div>\n")
            .arg(left, right);
    }

    QString scores() const
    {
        const Score &s = r.score;
        const auto box = [](const QString &name, const QString &value) {
            return QStringLiteral("<div><span>%1</span><b>%2</b></div>").arg(name, value);
        };
        return QStringLiteral("<div class=\"scores\">") + box(QStringLiteral("N[+] верно"), QString::number(s.correct))
            + box(QStringLiteral("N[-] неверно"), QString::number(s.wrong))
            + box(QStringLiteral("N[0] не поставлено"), QString::number(s.missing))
            + box(QStringLiteral("Tcp, сек"), seconds(s.mean))
            + box(QStringLiteral("SD, сек"), seconds(s.sd))
            + box(QStringLiteral("V, %"), seconds(s.cv, 0))
            + box(QStringLiteral("T ответа, сек"), seconds(r.answerSeconds, 0))
            + QStringLiteral("</div>\n");
    }

    QString rows() const
    {
        QString table = QStringLiteral(
            "<table class=\"rows\"><tr><th>Выбор</th><th>Время,<br/>сек</th><th>Панель</th>"
            "<th>Фигура</th><th>Была на<br/>панели</th><th>Место в<br/>ряду ответа</th>"
            "<th>Отметка</th></tr>");
        bool ended = false;
        for (int i = 1; i <= FigureCount; ++i) {
            const ChoiceRecord &c = r.choices[i];
            QString panel = QStringLiteral("—"), shape = QStringLiteral("—"),
                    home = QStringLiteral("—"), place = QStringLiteral("—"),
                    mark = QStringLiteral("не поставлена");
            const bool picked = facts.pickedAtTimeOut == i;
            if (c.placed() || picked) {
                shape = QString::number(c.Answer);
                place = QString::number(c.PictureNo);
                if (IsFigureNumber(c.Answer) && facts.figures[c.Answer].shownOn)
                    home = QString::number(facts.figures[c.Answer].shownOn);
                else
                    home = QStringLiteral("не известно");
            }
            if (c.placed()) {
                panel = QString::number(c.PanelNo);
                mark = c.correct() ? QStringLiteral("+ верно") : QStringLiteral("− неверно");
            } else if (picked) {
                mark = QStringLiteral("выбрана, не поставлена");
            }
            table += QStringLiteral("<tr%1><td>%2</td><td>%3</td><td>%4</td><td>%5</td><td>%6</td>"
                                    "<td>%7</td><td class=\"t\">%8</td></tr>")
                         .arg(ended ? QStringLiteral(" class=\"later\"") : QString())
                         .arg(i)
                         .arg(seconds(c.Time), panel, shape, home, place, mark);
            ended = ended || !c.placed();
        }
        table += QStringLiteral("</table>");
        return QStringLiteral("<div class=\"rows\">%1<div>%2<p class=\"legend\">"
                              "<span class=\"key\" style=\"background:#1b5e20\"></span>верно"
                              "<span class=\"key\" style=\"background:repeating-linear-gradient("
                              "45deg,#b71c1c 0 2px,#fff 2px 4px);outline:1px solid #b71c1c\"></span>"
                              "неверно<span class=\"key\" style=\"outline:1px dashed #757575\">"
                              "</span>не поставлена</p></div></div>\n")
            .arg(table, TimeChart(r, numbers, TimeChartSize::Page));
    }

    QString foot() const
    {
        QStringList parts;
        if (!r.path.isEmpty())
            parts << QStringLiteral("Протокол: %1").arg(HtmlEscaped(QFileInfo(r.path).fileName()));
        if (!o.generator.isEmpty())
            parts << HtmlEscaped(o.generator);
        if (!o.withNames)
            parts << QStringLiteral("сделано без имён испытуемых");
        return QStringLiteral("<p class=\"foot\">%1</p>\n").arg(parts.join(QStringLiteral(" · ")));
    }

    const ProtocolRecord &r;
    const SubjectPageOptions &o;
    const BoardFacts facts;
    const int variant;
    FigurePictures pictures;
    FormatSettings numbers;
};

} // namespace

QByteArray SubjectPage(const ProtocolRecord &record, const SubjectPageOptions &options)
{
    return Page(record, options).html().toUtf8();
}

QString SubjectPageFileName(const ProtocolRecord &record)
{
    QString name = record.path.isEmpty() ? record.code + QStringLiteral(".IM.txt")
                                         : QFileInfo(record.path).fileName();
    if (name.endsWith(QStringLiteral(".txt")))
        name.chop(4);
    return name + QStringLiteral(".html");
}

} // namespace kavr::report
