#include "report/csv/PlacementCsv.h"

#include "report/read/ProtocolDate.h"
#include "testing/core/Figures.h"
#include "testing/core/Protocol.h"

namespace kavr::report {

namespace {

// The date and the time of day apart; where they cannot be read for sure, the protocol's text
// rather than nothing.
QStringList DateAndTime(const ProtocolRecord &record, const QString &localDateFormat)
{
    const ProtocolDate read = ReadProtocolDate(record.dateTime, localDateFormat);
    if (!read.date)
        return {CsvText(record.dateTime), QString()};
    return {read.date->toString(Qt::ISODate),
            read.time ? read.time->toString(QStringLiteral("HH:mm:ss")) : QString()};
}

} // namespace

QStringList PlacementCsvTitles(bool withNames)
{
    QStringList columns = {QStringLiteral("Код"), QStringLiteral("Имя"), QStringLiteral("Дата"),
                           QStringLiteral("Время суток"), QStringLiteral("Вариант"),
                           QStringLiteral("Восстановлен")};
    // The protocol's own column titles.
    for (const QStringView title : protocol::ColumnTitles)
        columns << title.trimmed().toString();
    columns << QStringLiteral("Отметка") << QStringLiteral("Поставлена") << QStringLiteral("Верно");
    if (!withNames)
        columns.removeAt(1);
    return columns;
}

QByteArray PlacementCsv(const QList<ProtocolRecord> &records, const CsvFormat &format,
                        const QString &localDateFormat, bool withNames)
{
    // Built line by line as UTF-8: 120 000 lines are some 12 MB, twice that as UTF-16.
    QByteArray csv = CsvDocument(CsvLine(PlacementCsvTitles(withNames), format.separator));
    csv.reserve(records.size() * 12 * 110);
    for (const ProtocolRecord &record : records) {
        QStringList subject = {CsvText(record.code), CsvText(record.name)};
        if (!withNames)
            subject.removeLast();
        subject << DateAndTime(record, localDateFormat) << CsvText(record.variant)
                << (record.recovered ? QStringLiteral("да") : QString());
        for (int i = 1; i <= FigureCount; ++i) {
            const ChoiceRecord &c = record.choices[i];
            QStringList fields = subject;
            fields << QString::number(i) << CsvFixed(c.Time, 2, format)
                   << QString::number(c.PanelNo) << QString::number(c.Key)
                   << QString::number(c.PictureNo) << QString::number(c.Answer)
                   << protocol::RowMark(c).toString() << QString::number(int(c.placed()))
                   << QString::number(int(c.correct()));
            csv += CsvLine(fields, format.separator).toUtf8();
        }
    }
    return csv;
}

} // namespace kavr::report
