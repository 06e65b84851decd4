#pragma once
// Reads CSV text back (RFC 4180: quoted fields, doubled quotes, CR LF or LF row ends), as a
// spreadsheet program would, to check what the report wrote.
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace kavr::test {

// Rows of fields; nothing when a quote is left open.
std::optional<QList<QStringList>> ReadCsv(const QString &text, QChar separator);

} // namespace kavr::test
