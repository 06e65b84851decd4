#pragma once
// Parses a protocol line by its layout, read backwards: given one of the program's printf-like
// formats (the constants of testing/core/Protocol.h) and a line, which field texts did the
// program fill in?
//
// Fields follow the writer's rules: a field of width W is exactly W characters when its value
// fits, the value right-aligned after blanks, and the bare value when it is wider (never cut).
// Widths therefore split fields that touch ("%8d%11.2f"), even where a value overflows; where
// more than one split fits, the one with the shortest first fields is taken.
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace kavr::report {

class ProtocolLineParser final
{
public:
    // Accepts %d, %f with a precision, %s, each with an optional width, and %%; anything else
    // throws KavrError (a programming error: the formats are constants).
    explicit ProtocolLineParser(QStringView format);

    // The field texts without padding, in order, or nothing when the line does not follow the
    // layout. A %f field may carry any one non-digit character as its decimal separator (the
    // writer's regional settings); it is returned with '.' in its place.
    std::optional<QStringList> match(QStringView line) const;

    qsizetype fieldCount() const { return m_fieldCount; }
    // The fixed texts between the fields, in order (for fuzzing dictionaries).
    QStringList literals() const;

private:
    struct Item
    {
        QString literal; // a fixed text when conversion is null
        QChar conversion;
        int width = 0;
        int precision = -1;
    };

    bool matchFrom(qsizetype item, qsizetype pos, QStringView line, QStringList &fields,
                   QList<bool> &failed) const;
    std::optional<QString> fieldValue(const Item &field, QStringView text) const;

    QList<Item> m_items;
    qsizetype m_fieldCount = 0;
};

} // namespace kavr::report
