#pragma once
// Reads CSV text back (RFC 4180: quoted fields, doubled quotes, CR LF or LF row ends), as a
// spreadsheet program would, to check what the report wrote.
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace kavr::test {

// Rows of fields; nothing when a quote is left open.
std::optional<QList<QStringList>> ReadCsv(const QString &text, QChar separator);
// A row's fields by the titles of the header above it, so that a check names its column.
QHash<QString, QString> ByTitle(const QStringList &header, const QStringList &row);

} // namespace kavr::test
