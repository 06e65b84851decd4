#pragma once
// printf-like formatting with the protocol's rules: widths count characters and never cut,
// fixed point rounds halves away from zero after taking the value to 18 significant digits,
// the decimal separator and date/time formats come from the regional settings.
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <variant>

namespace kavr {

struct FormatSettings
{
    QString decimalSeparator = QStringLiteral(".");
    QString shortDateFormat = QStringLiteral("dd.MM.yyyy"); // QDateTime format syntax
    QString longTimeFormat = QStringLiteral("HH:mm:ss");    // never carries a time zone

    // Both give settings already made encodable().
    static FormatSettings fromLocale(const QLocale &locale);
    // The user's regional settings (LC_NUMERIC for the separator, LC_TIME for dates and times).
    static FormatSettings system();

    // The same settings with every character that Windows-1251 lacks replaced, field by field:
    // a blank of any kind becomes a plain blank, direction and joining marks go, anything else
    // becomes the ASCII separator of its field ('.' in numbers and dates, ':' in times). Digits
    // need nothing: dates and times are written with ASCII digits whatever the locale. So a
    // protocol built with them can always be saved.
    FormatSettings encodable() const;
};

using FormatArg = std::variant<qint64, int, double, QString>;

// Supports %d, %s, %f with optional width and precision (%8d, %11.2f, %5s) and %%. %d takes
// int or qint64 (a precision gives a minimum of digits), %f takes double (six decimals unless
// given), %s takes QString (no precision: it would cut the text). No flags.
// Throws KavrError on a format that does not match its arguments.
QString Format(QStringView format, std::initializer_list<FormatArg> args,
               const FormatSettings &settings);

// Fixed point with P decimals, rounded half away from zero at 18 significant digits. A value
// that rounds to zero has no sign; NaN and infinities give NAN, INF and -INF.
QString FormatFixed(double value, int decimals, const FormatSettings &settings);

// Short date, a blank and the long time; the time is left out when it is 00:00:00.
QString DateTimeToStr(const QDateTime &dateTime, const FormatSettings &settings);
// Long time alone.
QString TimeToStr(const QTime &time, const FormatSettings &settings);

} // namespace kavr
