#include "report/read/ProtocolDate.h"

#include <QLocale>
#include <QRegularExpression>

namespace kavr::report {

namespace {

// Qt 6.4 reads "yy" as 19yy; the program has written no protocol before 2000.
QDate TwoDigitYearsInThisCentury(QDate date, const QString &format)
{
    if (date.isValid() && !format.contains(QStringLiteral("yyyy")) && date.year() < 2000)
        return date.addYears(100);
    return date;
}

int Year(const QString &digits)
{
    const int year = digits.toInt();
    return digits.size() <= 2 ? 2000 + year : year;
}

// The common forms, when the report's own format did not read the text.
std::optional<QDate> CommonForms(const QString &text, const QString &localDateFormat)
{
    static const QRegularExpression numbers(
        QStringLiteral("^(\\d{1,4})([./-])(\\d{1,2})\\2(\\d{1,4})\\.?$"));
    const QRegularExpressionMatch m = numbers.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QString a = m.captured(1), b = m.captured(3), c = m.captured(4);
    const QChar separator = m.captured(2).front();
    QDate date;
    if (a.size() == 4) { // ISO order
        if (c.size() > 2)
            return std::nullopt;
        date = QDate(a.toInt(), b.toInt(), c.toInt());
    } else if (c.size() == 3 || (c.size() != 2 && c.size() != 4)) {
        return std::nullopt;
    } else if (separator != u'/') { // dots and hyphens: day first
        date = QDate(Year(c), b.toInt(), a.toInt());
    } else {
        const QDate monthFirst(Year(c), a.toInt(), b.toInt());
        const QDate dayFirst(Year(c), b.toInt(), a.toInt());
        // The report's own settings decide a slash date they write the same way.
        const QString order = QString(localDateFormat).remove(QRegularExpression(QStringLiteral("[^dMy]")));
        if (localDateFormat.contains(u'/') && order.startsWith(u'M'))
            date = monthFirst;
        else if (localDateFormat.contains(u'/') && order.startsWith(u'd'))
            date = dayFirst;
        else if (monthFirst.isValid() && dayFirst.isValid() && monthFirst != dayFirst)
            return std::nullopt; // both readings hold: not guessed
        else
            date = monthFirst.isValid() ? monthFirst : dayFirst;
    }
    if (!date.isValid())
        return std::nullopt;
    return date;
}

std::optional<QDate> ReadDate(const QString &text, const QString &localDateFormat)
{
    if (text.isEmpty())
        return std::nullopt;
    if (!localDateFormat.isEmpty()) {
        const QDate local = TwoDigitYearsInThisCentury(
            QLocale::c().toDate(text, localDateFormat), localDateFormat);
        if (local.isValid())
            return local;
    }
    return CommonForms(text, localDateFormat);
}

struct TimePart
{
    QString dateText; // what is left before the time
    std::optional<QTime> time;
};

// The time at the end of the text, after a blank: H:mm:ss, with AM/PM before or after it.
TimePart SplitTime(const QString &text)
{
    static const QRegularExpression time(QStringLiteral(
        "\\s+(?:([AaPp])\\.?[Mm]\\.?\\s*)?(\\d{1,2})[:.](\\d{2})[:.](\\d{2})(?:\\s*([AaPp])\\.?[Mm]\\.?)?$"));
    const QRegularExpressionMatch m = time.match(text);
    if (!m.hasMatch())
        return {text, QTime(0, 0)};
    int hour = m.captured(2).toInt();
    const QString half = m.captured(1).isEmpty() ? m.captured(5) : m.captured(1);
    if (!half.isEmpty()) {
        if (hour < 1 || hour > 12)
            return {text.first(m.capturedStart()), std::nullopt};
        hour = hour % 12 + (half.compare(QStringLiteral("p"), Qt::CaseInsensitive) == 0 ? 12 : 0);
    }
    const QTime read(hour, m.captured(3).toInt(), m.captured(4).toInt());
    return {text.first(m.capturedStart()),
            read.isValid() ? std::optional<QTime>(read) : std::nullopt};
}

} // namespace

ProtocolDate ReadProtocolDate(const QString &text, const QString &localDateFormat)
{
    const QString trimmed = text.trimmed();
    const TimePart split = SplitTime(trimmed);
    ProtocolDate read{ReadDate(split.dateText.trimmed(), localDateFormat), split.time};
    if (!read.date) {
        // A date format with blanks of its own, or a time the pattern above does not know:
        // the whole text as a date alone.
        read.date = ReadDate(trimmed, localDateFormat);
        if (read.date)
            read.time = QTime(0, 0);
        else
            read.time.reset();
    }
    return read;
}

} // namespace kavr::report
