#pragma once
// The protocols of a folder as one CSV table for spreadsheets, one row per protocol: UTF-8
// with a byte-order mark (spreadsheet programs then take the Cyrillic right), CR LF row ends,
// fields quoted where they need it (RFC 4180). Figures keep the protocol's decimals.
#include "report/read/ProtocolRecord.h"

#include <QByteArray>
#include <QList>
#include <QLocale>
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

// Code, name (left out without names), date and time, variant, instruction time, answer time, N[+], N[-], N[0], Tcp,
// SD, V, then time, panel, key, picture, answer and mark of placements 1 to 12, and last
// "Восстановлен": "да" for a recovered protocol (an interrupted test), empty otherwise.
QStringList CsvColumns(bool withNames = true);
// One protocol's fields, unquoted. Texts that a spreadsheet would take for a formula (a
// leading =, +, -, @, tab or CR) get a leading apostrophe: the folder may hold files from
// anyone in the users' group.
QStringList CsvFields(const ProtocolRecord &record, const CsvFormat &format,
                      bool withNames = true);
QByteArray CsvReport(const QList<ProtocolRecord> &records, const CsvFormat &format,
                     bool withNames = true);

// The same conventions for the report's other tables.
QString CsvText(const QString &text); // with the formula guard
QString CsvFixed(double value, int decimals, const CsvFormat &format);
QString CsvLine(const QStringList &fields, QChar separator); // quoted where needed, CR LF
QByteArray CsvDocument(const QString &lines); // byte-order mark and UTF-8

} // namespace kavr::report
