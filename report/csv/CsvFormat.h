#pragma once
// The conventions of the report's CSV tables, for spreadsheets: UTF-8 with a byte-order mark
// (spreadsheet programs then take the Cyrillic right), CR LF row ends, fields quoted where they
// need it (RFC 4180), the locale's decimal mark and separator. A table's cells (TableCell.h)
// become text here.
#include "report/table/TableColumn.h"

#include <QByteArray>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace kavr::report {

struct CsvFormat
{
    QChar separator = u',';
    QString decimalMark = QStringLiteral(".");

    // The locale's decimal mark; fields separated by ';' where that mark is ',' (as
    // spreadsheets there expect), by ',' elsewhere.
    static CsvFormat fromLocale(const QLocale &locale);
};

// Texts that a spreadsheet would take for a formula (a leading =, +, -, @, tab or CR) get a
// leading apostrophe: the folder may hold files from anyone in the users' group.
QString CsvText(const QString &text);
QString CsvFixed(double value, int decimals, const CsvFormat &format);
// The cell as the CSV shows it, unquoted: a text from a file guarded as CsvText, numbers with
// the format's decimal mark.
QString CsvCell(const TableCell &cell, const CsvFormat &format);
QString CsvLine(const QStringList &fields, QChar separator); // quoted where needed, CR LF
QByteArray CsvDocument(const QString &lines); // byte-order mark and UTF-8

// One row's cells in the table's columns, with or without the personal ones.
template <typename Row>
QStringList CsvFields(const QList<TableColumn<Row>> &columns, const Row &row,
                      const CsvFormat &format, bool withNames)
{
    QStringList fields;
    fields.reserve(columns.size());
    for (const TableColumn<Row> &column : columns) {
        if (ColumnShown(column, withNames))
            fields << CsvCell(column.cell(row), format);
    }
    return fields;
}

} // namespace kavr::report
