#pragma once
// The conventions of the report's CSV tables, for spreadsheets: UTF-8 with a byte-order mark
// (spreadsheet programs then take the Cyrillic right), CR LF row ends, fields quoted where they
// need it (RFC 4180), the locale's decimal mark and separator.
//
// A table's columns are one list of CsvColumn: the header and every row are made from it, so
// that a title and its cells cannot drift apart, and a report without names drops the
// personal columns by their flag.
#include <QByteArray>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <functional>

namespace kavr::report {

struct CsvFormat
{
    QChar separator = u',';
    QString decimalMark = QStringLiteral(".");

    // The locale's decimal mark; fields separated by ';' where that mark is ',' (as
    // spreadsheets there expect), by ',' elsewhere.
    static CsvFormat fromLocale(const QLocale &locale);
};

// One column of a table whose rows are Rows.
template <typename Row>
struct CsvColumn
{
    QString title;
    // The cell, unquoted (CsvLine quotes it).
    std::function<QString(const Row &row, const CsvFormat &format)> value;
    bool personal = false; // the subject's name: left out without names (--no-names)
};

// The titles of the columns a table has, with or without the personal ones.
template <typename Row>
QStringList CsvTitles(const QList<CsvColumn<Row>> &columns, bool withNames)
{
    QStringList titles;
    for (const CsvColumn<Row> &column : columns) {
        if (withNames || !column.personal)
            titles << column.title;
    }
    return titles;
}

// One row's cells in the same columns.
template <typename Row>
QStringList CsvFields(const QList<CsvColumn<Row>> &columns, const Row &row, const CsvFormat &format,
                      bool withNames)
{
    QStringList fields;
    fields.reserve(columns.size());
    for (const CsvColumn<Row> &column : columns) {
        if (withNames || !column.personal)
            fields << column.value(row, format);
    }
    return fields;
}

// Texts that a spreadsheet would take for a formula (a leading =, +, -, @, tab or CR) get a
// leading apostrophe: the folder may hold files from anyone in the users' group.
QString CsvText(const QString &text);
QString CsvFixed(double value, int decimals, const CsvFormat &format);
QString CsvLine(const QStringList &fields, QChar separator); // quoted where needed, CR LF
QByteArray CsvDocument(const QString &lines); // byte-order mark and UTF-8

} // namespace kavr::report
