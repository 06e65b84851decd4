#include "testing/core/JournalLine.h"

namespace kavr::journal {

namespace {

constexpr char ChecksumMark[] = "\t#";
constexpr int ChecksumDigits = 4;

QString Escaped(const QString &field)
{
    QString out;
    out.reserve(field.size());
    for (const QChar c : field) {
        switch (c.unicode()) {
        case u'\\': out += QStringLiteral("\\\\"); break;
        case u'\t': out += QStringLiteral("\\t"); break;
        case u'\n': out += QStringLiteral("\\n"); break;
        case u'\r': out += QStringLiteral("\\r"); break;
        default: out += c;
        }
    }
    return out;
}

std::optional<QString> Unescaped(QStringView field)
{
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field.at(i) != u'\\') {
            out += field.at(i);
            continue;
        }
        if (++i == field.size())
            return std::nullopt;
        switch (field.at(i).unicode()) {
        case u'\\': out += u'\\'; break;
        case u't': out += u'\t'; break;
        case u'n': out += u'\n'; break;
        case u'r': out += u'\r'; break;
        default: return std::nullopt;
        }
    }
    return out;
}

QByteArray Checksum(QByteArrayView body)
{
    return QByteArray::number(qChecksum(body, Qt::ChecksumIso3309), 16)
        .rightJustified(ChecksumDigits, '0');
}

} // namespace

QByteArray EncodeLine(const QStringList &fields)
{
    QStringList escaped;
    escaped.reserve(fields.size());
    for (const QString &field : fields)
        escaped << Escaped(field);
    const QByteArray body = escaped.join(u'\t').toUtf8();
    return body + ChecksumMark + Checksum(body) + '\n';
}

std::optional<QStringList> DecodeLine(QByteArrayView line)
{
    const qsizetype mark = line.size() - ChecksumDigits - 2;
    if (mark < 0 || line.sliced(mark, 2) != ChecksumMark)
        return std::nullopt;
    const QByteArrayView body = line.first(mark);
    if (line.sliced(mark + 2) != Checksum(body))
        return std::nullopt;
    QStringList fields;
    for (const QStringView field : QString::fromUtf8(body).split(u'\t')) {
        std::optional<QString> text = Unescaped(field);
        if (!text)
            return std::nullopt;
        fields << *text;
    }
    return fields;
}

} // namespace kavr::journal
