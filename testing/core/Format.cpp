#include "testing/core/Format.h"

#include "error/KavrError.h"
#include "testing/core/CodePage.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kavr {

namespace {

// Removes the time-zone field ("t", "tt", ...) and the blanks before it; Qt's long time
// formats end in one, a printed time of day must not. Quoted literals are kept as they are.
QString WithoutTimeZone(const QString &format)
{
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            quoted = !quoted;
            out += c;
            continue;
        }
        if (quoted || c != u't') {
            out += c;
            continue;
        }
        while (i + 1 < format.size() && format.at(i + 1) == u't')
            ++i;
        // "(t)" as some locales write it: drop the brackets with the field.
        if (out.endsWith(u'(') && i + 1 < format.size() && format.at(i + 1) == u')') {
            out.chop(1);
            ++i;
        }
        while (out.endsWith(u' '))
            out.chop(1);
    }
    return out.trimmed();
}

QString Padded(const QString &text, int width)
{
    if (text.size() >= width)
        return text; // never cut
    return QString(width - text.size(), u' ') + text;
}

[[noreturn]] void BadFormat(QStringView format)
{
    throw KavrError(QStringLiteral("Format '%1' invalid or incompatible with argument")
                        .arg(format.toString()));
}

struct Field
{
    int width = 0;
    int precision = -1;
    QChar conversion;
};

QString FormatInteger(qint64 value, int precision)
{
    QString digits = QString::number(value < 0 ? -(quint64(value)) : quint64(value));
    if (precision > digits.size())
        digits.prepend(QString(precision - digits.size(), u'0'));
    return value < 0 ? u'-' + digits : digits;
}

QString FormatArgument(const Field &field, const FormatArg &arg, QStringView format,
                       const FormatSettings &settings)
{
    switch (field.conversion.unicode()) {
    case u'd':
        if (const int *v = std::get_if<int>(&arg))
            return FormatInteger(*v, field.precision);
        if (const qint64 *v = std::get_if<qint64>(&arg))
            return FormatInteger(*v, field.precision);
        break;
    case u'f':
        if (const double *v = std::get_if<double>(&arg))
            return FormatFixed(*v, field.precision < 0 ? 6 : field.precision, settings);
        break;
    case u's':
        // A precision would cut the text, which the protocol never does.
        if (const QString *v = std::get_if<QString>(&arg); v && field.precision < 0)
            return *v;
        break;
    }
    BadFormat(format);
}

int ReadNumber(QStringView format, qsizetype &i)
{
    int n = 0;
    while (i < format.size() && format.at(i) >= u'0' && format.at(i) <= u'9') {
        n = n * 10 + (format.at(i).unicode() - u'0');
        if (n > 1000)
            BadFormat(format);
        ++i;
    }
    return n;
}

QString Encodable(const QString &text, QChar separator)
{
    if (FitsWindows1251(text))
        return text;
    QString out;
    for (const QChar c : text) {
        if (c.isLowSurrogate())
            continue; // its high half stood for the whole character
        if (!c.isHighSurrogate() && FitsWindows1251(QStringView(&c, 1)))
            out += c;
        else if (c.isSpace())
            out += u' ';
        else if (c.category() != QChar::Other_Format && c.category() != QChar::Mark_NonSpacing)
            out += separator;
    }
    return out;
}

} // namespace

FormatSettings FormatSettings::fromLocale(const QLocale &locale)
{
    FormatSettings s;
    s.decimalSeparator = locale.decimalPoint();
    s.shortDateFormat = locale.dateFormat(QLocale::ShortFormat);
    s.longTimeFormat = WithoutTimeZone(locale.timeFormat(QLocale::LongFormat));
    return s.encodable();
}

FormatSettings FormatSettings::encodable() const
{
    FormatSettings s;
    s.decimalSeparator = Encodable(decimalSeparator, u'.');
    if (s.decimalSeparator.isEmpty())
        s.decimalSeparator = QStringLiteral(".");
    s.shortDateFormat = Encodable(shortDateFormat, u'.');
    s.longTimeFormat = Encodable(longTimeFormat, u':');
    return s;
}

FormatSettings FormatSettings::system()
{
    // Qt's system locale answers the decimal point from LC_NUMERIC and the date and time
    // formats from LC_TIME (LC_ALL over both, LANG under both).
    return fromLocale(QLocale::system());
}

QString Format(QStringView format, std::initializer_list<FormatArg> args,
               const FormatSettings &settings)
{
    QString out;
    auto arg = args.begin();
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar c = format.at(i++);
        if (c != u'%') {
            out += c;
            continue;
        }
        if (i < format.size() && format.at(i) == u'%') {
            out += u'%';
            ++i;
            continue;
        }
        Field field;
        field.width = ReadNumber(format, i);
        if (i < format.size() && format.at(i) == u'.') {
            ++i;
            field.precision = ReadNumber(format, i);
        }
        if (i >= format.size() || arg == args.end())
            BadFormat(format);
        field.conversion = format.at(i++);
        out += Padded(FormatArgument(field, *arg++, format, settings), field.width);
    }
    if (arg != args.end())
        BadFormat(format);
    return out;
}

QString FormatFixed(double value, int decimals, const FormatSettings &settings)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    decimals = qBound(0, decimals, 1000);

    // 18 significant digits: d.ddddddddddddddddde±x
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17e", std::fabs(value));
    std::string significant(1, buf[0]);
    significant.append(buf + 2, 17);
    const int exponent = std::atoi(buf + 20);

    // The digits of round(|value| * 10^decimals), halves away from zero.
    const int kept = exponent + 1 + decimals;
    std::string digits;
    if (kept >= 18) {
        digits = significant + std::string(kept - 18, '0');
    } else if (kept >= 0) {
        digits = significant.substr(0, kept);
        if (significant[kept] >= '5') {
            int j = kept - 1;
            while (j >= 0 && digits[j] == '9')
                digits[j--] = '0';
            if (j >= 0)
                ++digits[j];
            else
                digits.insert(digits.begin(), '1');
        }
    }
    const bool zero = digits.find_first_not_of('0') == std::string::npos;
    if (digits.size() < size_t(decimals) + 1)
        digits.insert(0, decimals + 1 - digits.size(), '0');

    const size_t integerDigits = digits.size() - decimals;
    QString text = QString::fromLatin1(digits.data(), qsizetype(integerDigits));
    if (decimals > 0)
        text += settings.decimalSeparator
            + QString::fromLatin1(digits.data() + integerDigits, decimals);
    return value < 0 && !zero ? u'-' + text : text;
}

QString DateTimeToStr(const QDateTime &dateTime, const FormatSettings &settings)
{
    // The C locale keeps the digits ASCII whatever the regional settings are.
    const QString date = QLocale::c().toString(dateTime.date(), settings.shortDateFormat);
    const QTime time = dateTime.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return date;
    return date + u' ' + TimeToStr(time, settings);
}

QString TimeToStr(const QTime &time, const FormatSettings &settings)
{
    return QLocale::c().toString(time, settings.longTimeFormat);
}

} // namespace kavr
