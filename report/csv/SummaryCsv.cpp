#include "report/csv/SummaryCsv.h"

#include "testing/core/Figures.h"

namespace kavr::report {

namespace {

class Table final
{
public:
    explicit Table(const CsvFormat &format) : m_format(format)
    {
        m_text = CsvLine(CsvTitles(SummaryCsvColumns(), true), format.separator);
    }

    void add(const QString &section, const QString &variant, const QString &element,
             const QString &measure, const QString &value)
    {
        m_text += CsvLine(CsvFields(SummaryCsvColumns(),
                                    SummaryFigure{section, variant, element, measure, value},
                                    m_format, true),
                          m_format.separator);
    }
    QString count(int n) const { return QString::number(n); }
    QString number(std::optional<double> value, int decimals) const
    {
        return value ? CsvFixed(*value, decimals, m_format) : QString();
    }
    const QString &text() const { return m_text; }

private:
    const CsvFormat &m_format;
    QString m_text;
};

void Cells(Table &table, const QString &section, const VariantGroup &group,
           const PerFigure<CellFigures> &cells)
{
    for (int k = 1; k <= FigureCount; ++k) {
        const CellFigures &c = cells[k];
        const QString element = QString::number(k);
        table.add(section, group.variant, element, QStringLiteral("Испытуемых"),
                  table.count(c.subjects));
        table.add(section, group.variant, element, QStringLiteral("Верно"), table.count(c.correct));
        table.add(section, group.variant, element, QStringLiteral("Доля верных"),
                  table.number(c.share(), 3));
        table.add(section, group.variant, element, QStringLiteral("Размещений"),
                  table.count(c.time.n));
        table.add(section, group.variant, element, QStringLiteral("Среднее время, сек"),
                  table.number(c.time.n ? std::optional<double>(c.time.mean) : std::nullopt, 2));
    }
}

} // namespace

const QList<CsvColumn<SummaryFigure>> &SummaryCsvColumns()
{
    using S = const SummaryFigure &;
    using F = const CsvFormat &;
    static const QList<CsvColumn<SummaryFigure>> columns = {
        {QStringLiteral("Раздел"), [](S s, F) { return s.section; }},
        {QStringLiteral("Вариант"), [](S s, F) { return CsvText(s.variant); }},
        {QStringLiteral("Элемент"), [](S s, F) { return CsvText(s.element); }},
        {QStringLiteral("Показатель"), [](S s, F) { return s.measure; }},
        {QStringLiteral("Значение"), [](S s, F) { return s.value; }},
    };
    return columns;
}

QByteArray SummaryCsv(const QList<ProtocolRecord> &records, const GroupStatistics &statistics,
                      const ReportScope &scope, const CsvFormat &format)
{
    Table table(format);
    const QString choice = QStringLiteral("Отбор");
    table.add(choice, {}, scope.folder, QStringLiteral("Файлов протоколов"), table.count(scope.files));
    table.add(choice, {}, scope.folder, QStringLiteral("Прочитано"), table.count(scope.read));
    table.add(choice, {}, scope.selection, QStringLiteral("Отобрано"), table.count(scope.selected));
    table.add(choice, {}, scope.selection, QStringLiteral("Без читаемой даты, не отобрано"),
              table.count(scope.undated));
    table.add(choice, {}, {}, QStringLiteral("Восстановленных (тест прерван), не в расчётах"),
              table.count(scope.recovered));

    for (const VariantGroup &group : statistics.groups) {
        for (size_t k = 0; k < Indicators.size(); ++k) {
            const Descriptive &d = group.indicators[k];
            const QString name = IndicatorName(Indicators[k]);
            const auto add = [&](const QString &measure, std::optional<double> value) {
                table.add(QStringLiteral("Показатели"), group.variant, name, measure,
                          table.number(d.n ? value : std::nullopt, 2));
            };
            table.add(QStringLiteral("Показатели"), group.variant, name,
                      QStringLiteral("Испытуемых"), table.count(d.n));
            add(QStringLiteral("Среднее"), d.mean);
            add(QStringLiteral("SD"), d.sd);
            add(QStringLiteral("Медиана"), d.median);
            add(QStringLiteral("Минимум"), d.min);
            add(QStringLiteral("Максимум"), d.max);
        }
    }
    for (const VariantGroup &group : statistics.groups)
        Cells(table, QStringLiteral("Панель"), group, group.panels);
    for (const VariantGroup &group : statistics.groups)
        Cells(table, QStringLiteral("Фигура"), group, group.figures);
    for (const VariantGroup &group : statistics.groups) {
        for (int r : group.members) {
            const ZScores &z = statistics.z.at(r);
            table.add(QStringLiteral("Испытуемый"), group.variant, records.at(r).code,
                      QStringLiteral("z N[+] в этой папке, не норма"), table.number(z.correct, 2));
            table.add(QStringLiteral("Испытуемый"), group.variant, records.at(r).code,
                      QStringLiteral("z Tcp в этой папке, не норма"), table.number(z.mean, 2));
        }
    }
    return CsvDocument(table.text());
}

} // namespace kavr::report
