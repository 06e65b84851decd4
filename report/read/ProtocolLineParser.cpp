#include "report/read/ProtocolLineParser.h"

#include "error/KavrError.h"

namespace kavr::report {

namespace {

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Length of the run of digits from pos.
qsizetype DigitRun(QStringView text, qsizetype pos)
{
    qsizetype end = pos;
    while (end < text.size() && IsDigit(text.at(end)))
        ++end;
    return end - pos;
}

[[noreturn]] void Unsupported(QStringView format)
{
    throw KavrError(QStringLiteral("Layout '%1' cannot be read back").arg(format.toString()));
}

} // namespace

ProtocolLineParser::ProtocolLineParser(QStringView format)
{
    QString literal;
    qsizetype i = 0;
    auto number = [&] {
        int n = 0;
        while (i < format.size() && IsDigit(format.at(i))) {
            n = n * 10 + (format.at(i++).unicode() - u'0');
            if (n > 1000)
                Unsupported(format);
        }
        return n;
    };
    while (i < format.size()) {
        const QChar c = format.at(i++);
        if (c != u'%') {
            literal += c;
            continue;
        }
        if (i < format.size() && format.at(i) == u'%') {
            literal += u'%';
            ++i;
            continue;
        }
        if (!literal.isEmpty())
            m_items.append({literal, {}, 0, -1});
        literal.clear();
        Item field;
        field.width = number();
        if (i < format.size() && format.at(i) == u'.') {
            ++i;
            field.precision = number();
        }
        if (i >= format.size())
            Unsupported(format);
        field.conversion = format.at(i++);
        const bool known = field.conversion == u'd' || field.conversion == u's'
            || (field.conversion == u'f' && field.precision >= 0);
        if (!known || (field.conversion == u's' && field.precision >= 0))
            Unsupported(format);
        m_items.append(field);
        ++m_fieldCount;
    }
    if (!literal.isEmpty())
        m_items.append({literal, {}, 0, -1});
}

QStringList ProtocolLineParser::literals() const
{
    QStringList texts;
    for (const Item &item : m_items) {
        if (item.conversion.isNull())
            texts << item.literal;
    }
    return texts;
}

std::optional<QStringList> ProtocolLineParser::match(QStringView line) const
{
    QStringList fields;
    fields.reserve(m_fieldCount);
    // States (item, position) already known to lead nowhere: keeps the search linear in the
    // number of states however the fields could be split.
    QList<bool> failed((m_items.size() + 1) * (line.size() + 1), false);
    if (!matchFrom(0, 0, line, fields, failed))
        return std::nullopt;
    return fields;
}

bool ProtocolLineParser::matchFrom(qsizetype item, qsizetype pos, QStringView line,
                                   QStringList &fields, QList<bool> &failed) const
{
    if (item == m_items.size())
        return pos == line.size();
    const qsizetype state = item * (line.size() + 1) + pos;
    if (failed.at(state))
        return false;

    const Item &current = m_items.at(item);
    const QStringView rest = line.sliced(pos);
    if (current.conversion.isNull()) {
        if (rest.startsWith(current.literal)
            && matchFrom(item + 1, pos + current.literal.size(), line, fields, failed))
            return true;
        failed[state] = true;
        return false;
    }

    const bool last = item + 1 == m_items.size();
    const Item *next = last ? nullptr : &m_items.at(item + 1);
    const QString *nextLiteral = next && next->conversion.isNull() ? &next->literal : nullptr;
    const bool numeric = current.conversion != u's';
    // Candidate lengths: the width first (the value fits), then wider values.
    for (qsizetype length = current.width; length <= rest.size(); ++length) {
        if (last) {
            length = rest.size(); // the field ends the line
        } else if (nextLiteral) {
            const qsizetype at = rest.indexOf(*nextLiteral, length); // where the next text begins
            if (at < 0)
                break;
            length = at;
        }
        const QStringView text = rest.first(length);
        // A value wider than its field has no padding; numbers hold no blanks, so once the
        // text takes in a blank no longer text can be a number either.
        if (length > current.width) {
            if (current.width > 0 && text.front() == u' ')
                break;
            if (numeric && text.back() == u' ')
                break;
        }
        if (const std::optional<QString> value = fieldValue(current, text)) {
            fields.append(*value);
            if (matchFrom(item + 1, pos + length, line, fields, failed))
                return true;
            fields.removeLast();
        }
        if (last)
            break;
    }
    failed[state] = true;
    return false;
}

std::optional<QString> ProtocolLineParser::fieldValue(const Item &field, QStringView text) const
{
    QStringView value = text;
    if (text.size() == field.width) {
        qsizetype blanks = 0;
        while (blanks < text.size() && text.at(blanks) == u' ')
            ++blanks;
        value = text.sliced(blanks);
    }
    if (field.conversion == u's')
        return value.toString();

    qsizetype i = value.startsWith(u'-') ? 1 : 0;
    const qsizetype integer = DigitRun(value, i);
    // The writer puts no leading zeros: refusing them keeps touching fields apart.
    if (integer == 0 || (integer > 1 && value.at(i) == u'0'))
        return std::nullopt;
    i += integer;
    if (field.conversion == u'd' || field.precision == 0)
        return i == value.size() ? std::optional<QString>(value.toString()) : std::nullopt;

    // %W.Pf: digits, one separator, exactly P digits.
    if (i >= value.size() || value.at(i) == u' ' || value.at(i) == u'-')
        return std::nullopt;
    const qsizetype separator = i++;
    if (DigitRun(value, i) != field.precision || i + field.precision != value.size())
        return std::nullopt;
    QString normalised = value.toString();
    normalised[separator] = u'.';
    return normalised;
}

} // namespace kavr::report
