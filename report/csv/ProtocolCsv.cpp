#include "report/csv/ProtocolCsv.h"

#include "testing/core/Figures.h"
#include "testing/core/Protocol.h"

namespace kavr::report {

namespace {

// The protocol's own title of its column k: 0 the placement number, then time, panel, key,
// picture and answer.
QString ProtocolTitle(int k)
{
    return protocol::ColumnTitles[k].trimmed().toString();
}

QString Integer(int value)
{
    return QString::number(value);
}

QList<CsvColumn<ProtocolRecord>> MakeProtocolColumns()
{
    using R = const ProtocolRecord &;
    using F = const CsvFormat &;
    QList<CsvColumn<ProtocolRecord>> columns = {
        {QStringLiteral("Код"), [](R r, F) { return CsvText(r.code); }},
        {QStringLiteral("Имя"), [](R r, F) { return CsvText(r.name); }, true},
        {QStringLiteral("Дата ПФО"), [](R r, F) { return CsvText(r.dateTime); }},
        {QStringLiteral("Вариант"), [](R r, F) { return CsvText(r.variant); }},
        {QStringLiteral("Время изучения инструкции, сек"),
         [](R r, F f) { return CsvFixed(r.instructionSeconds, 0, f); }},
        {QStringLiteral("T ответа, сек"), [](R r, F f) { return CsvFixed(r.answerSeconds, 0, f); }},
        {QStringLiteral("N[+]"), [](R r, F) { return Integer(r.score.correct); }},
        {QStringLiteral("N[-]"), [](R r, F) { return Integer(r.score.wrong); }},
        {QStringLiteral("N[0]"), [](R r, F) { return Integer(r.score.missing); }},
        {QStringLiteral("Tcp, сек"), [](R r, F f) { return CsvFixed(r.score.mean, 2, f); }},
        {QStringLiteral("SD, сек"), [](R r, F f) { return CsvFixed(r.score.sd, 2, f); }},
        {QStringLiteral("V, %"), [](R r, F f) { return CsvFixed(r.score.cv, 0, f); }},
    };
    for (int i = 1; i <= FigureCount; ++i) {
        for (const CsvColumn<ChoiceRecord> &placement : PlacementColumns()) {
            columns.append({QStringLiteral("%1: %2").arg(i).arg(placement.title),
                            [i, value = placement.value](R r, F f) {
                                return value(r.choices[i], f);
                            }});
        }
    }
    columns.append({QStringLiteral("Восстановлен"),
                    [](R r, F) { return r.recovered ? QStringLiteral("да") : QString(); }});
    return columns;
}

} // namespace

const QList<CsvColumn<ChoiceRecord>> &PlacementColumns()
{
    using C = const ChoiceRecord &;
    using F = const CsvFormat &;
    static const QList<CsvColumn<ChoiceRecord>> columns = {
        {ProtocolTitle(1), [](C c, F f) { return CsvFixed(c.Time, 2, f); }},
        {ProtocolTitle(2), [](C c, F) { return Integer(c.PanelNo); }},
        {ProtocolTitle(3), [](C c, F) { return Integer(c.Key); }},
        {ProtocolTitle(4), [](C c, F) { return Integer(c.PictureNo); }},
        {ProtocolTitle(5), [](C c, F) { return Integer(c.Answer); }},
        {QStringLiteral("Отметка"), [](C c, F) { return protocol::RowMark(c).toString(); }},
    };
    return columns;
}

const QList<CsvColumn<ProtocolRecord>> &ProtocolCsvColumns()
{
    static const QList<CsvColumn<ProtocolRecord>> columns = MakeProtocolColumns();
    return columns;
}

QByteArray ProtocolCsv(const QList<ProtocolRecord> &records, const CsvFormat &format,
                       bool withNames)
{
    const QList<CsvColumn<ProtocolRecord>> &columns = ProtocolCsvColumns();
    QString text = CsvLine(CsvTitles(columns, withNames), format.separator);
    for (const ProtocolRecord &record : records)
        text += CsvLine(CsvFields(columns, record, format, withNames), format.separator);
    return CsvDocument(text);
}

} // namespace kavr::report
