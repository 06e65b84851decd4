#include "CsvReader.h"

namespace kavr::test {

std::optional<QList<QStringList>> ReadCsv(const QString &text, QChar separator)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool rowStarted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c != u'"') {
                field += c;
            } else if (i + 1 < text.size() && text.at(i + 1) == u'"') {
                field += u'"';
                ++i;
            } else {
                quoted = false;
            }
            continue;
        }
        rowStarted = true;
        if (c == u'"') {
            quoted = true;
        } else if (c == separator) {
            row << field;
            field.clear();
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            row << field;
            rows << row;
            row.clear();
            field.clear();
            rowStarted = false;
        } else {
            field += c;
        }
    }
    if (quoted)
        return std::nullopt;
    if (rowStarted) {
        row << field;
        rows << row;
    }
    return rows;
}

QHash<QString, QString> ByTitle(const QStringList &header, const QStringList &row)
{
    QHash<QString, QString> fields;
    for (qsizetype c = 0; c < header.size() && c < row.size(); ++c)
        fields.insert(header.at(c), row.at(c));
    return fields;
}

} // namespace kavr::test
