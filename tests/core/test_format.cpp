// The protocol's printf-like formatting: fixed-point rounding, field widths, argument checks,
// regional settings for the decimal separator, dates and times.
#include "error/KavrError.h"
#include "support/TestSettings.h"
#include "testing/core/CodePage.h"
#include "testing/core/Format.h"

#include <QTest>

#include <cmath>
#include <cstdio>
#include <limits>

using namespace kavr;
using namespace kavr::test;
using namespace Qt::StringLiterals;

namespace {

FormatArg ToArg(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int: return v.toInt();
    case QMetaType::LongLong: return qint64(v.toLongLong());
    case QMetaType::Double: return v.toDouble();
    default: return v.toString();
    }
}

// Format() takes its arguments as an initializer list; the tables hold up to three.
QString FormatVariants(const QString &format, const QVariantList &args,
                       const FormatSettings &settings)
{
    switch (args.size()) {
    case 0: return Format(format, {}, settings);
    case 1: return Format(format, {ToArg(args[0])}, settings);
    case 2: return Format(format, {ToArg(args[0]), ToArg(args[1])}, settings);
    case 3: return Format(format, {ToArg(args[0]), ToArg(args[1]), ToArg(args[2])}, settings);
    }
    qFatal("too many arguments in a test row");
}

} // namespace

class TestFormat : public QObject
{
    Q_OBJECT

private slots:
    void fixedPoint_data();
    void fixedPoint();
    void fields_data();
    void fields();
    void mismatchedFormats_data();
    void mismatchedFormats();
    void regionalSettings_data();
    void regionalSettings();
    void settingsOutsideTheCodePage_data();
    void settingsOutsideTheCodePage();
};

void TestFormat::fixedPoint_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("expected");
    // True where the C library's correctly rounded printf writes something else.
    QTest::addColumn<bool>("printfDiffers");

    QTest::newRow("0.125 half up") << 0.125 << 2 << "0,13" << true;
    QTest::newRow("1.125 half up") << 1.125 << 2 << "1,13" << true;
    QTest::newRow("2.125 half up") << 2.125 << 2 << "2,13" << true;
    QTest::newRow("12.5 no decimals") << 12.5 << 0 << "13" << true;
    QTest::newRow("0.5 no decimals") << 0.5 << 0 << "1" << true;
    QTest::newRow("2.5 no decimals") << 2.5 << 0 << "3" << true;
    QTest::newRow("-0.125 away from zero") << -0.125 << 2 << "-0,13" << true;
    QTest::newRow("-12.5 away from zero") << -12.5 << 0 << "-13" << true;
    // 1000.005 lies just below the half in binary, but exactly on it at 18 digits.
    QTest::newRow("1000.005 half at 18 digits") << 1000.005 << 2 << "1000,01" << true;
    // 1.005 lies below the half even at 18 digits (1.00499999999999989).
    QTest::newRow("1.005 below half") << 1.005 << 2 << "1,00" << false;
    QTest::newRow("zero") << 0.0 << 2 << "0,00" << false;
    QTest::newRow("negative zero") << -0.0 << 2 << "0,00" << true;
    QTest::newRow("tiny negative rounds to zero") << -0.004 << 2 << "0,00" << true;
    QTest::newRow("0.005 up from nothing") << 0.005 << 2 << "0,01" << false;
    QTest::newRow("carry into new digit") << 59.9996 << 2 << "60,00" << false;
    QTest::newRow("carry 99.95") << 99.96 << 1 << "100,0" << false;
    QTest::newRow("one decimal") << 4.388428571 << 1 << "4,4" << false;
    QTest::newRow("whole number no separator") << 30.0 << 0 << "30" << false;
    QTest::newRow("no thousands separator") << 123456789.0 << 2 << "123456789,00" << false;
    QTest::newRow("1e22 whole") << 1e22 << 2 << "10000000000000000000000,00" << false;
    // Only 18 significant digits survive; the rest of the binary expansion is zeros.
    QTest::newRow("1e23 at 18 digits") << 1e23 << 0 << "99999999999999991600000" << true;
    QTest::newRow("very small") << 1e-300 << 2 << "0,00" << false;
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 2 << "NAN" << true;
    QTest::newRow("infinity") << -std::numeric_limits<double>::infinity() << 2 << "-INF"
                              << true;
}

void TestFormat::fixedPoint()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, expected);
    QFETCH(bool, printfDiffers);

    QCOMPARE(FormatFixed(value, decimals, Russian()), expected);

    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    const QString plain = QString::fromLatin1(buf).replace(u'.', u',');
    QCOMPARE(plain != expected, printfDiffers);
}

void TestFormat::fields_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QVariantList>("args");
    QTest::addColumn<QString>("expected");

    QTest::newRow("%3.0f pads") << "%3.0f" << QVariantList{30.0} << " 30";
    QTest::newRow("%3.0f rounds half up") << "%3.0f" << QVariantList{12.5} << " 13";
    QTest::newRow("%3.0f wider value whole") << "%3.0f" << QVariantList{1234.4} << "1234";
    QTest::newRow("%3.1f") << "%3.1f" << QVariantList{0.0} << "0,0";
    QTest::newRow("%2.0f") << "%2.0f" << QVariantList{0.0} << " 0";
    QTest::newRow("%4.2f") << "%4.2f" << QVariantList{0.125} << "0,13";
    QTest::newRow("%11.2f") << "%11.2f" << QVariantList{2.125} << "       2,13";
    QTest::newRow("%11.2f negative") << "%11.2f" << QVariantList{-2.125} << "      -2,13";
    QTest::newRow("%11.2f wider value whole")
        << "%11.2f" << QVariantList{123456789.0} << "123456789,00";
    QTest::newRow("%f default six decimals") << "%f" << QVariantList{0.5} << "0,500000";
    QTest::newRow("%d") << "%d" << QVariantList{42} << "42";
    QTest::newRow("%d negative ASCII minus") << "%d" << QVariantList{-1} << "-1";
    QTest::newRow("%8d negative") << "%8d" << QVariantList{-1} << "      -1";
    QTest::newRow("%9d 64-bit wider value whole")
        << "%9d" << QVariantList{qlonglong(123456789012)} << "123456789012";
    QTest::newRow("%6d zero") << "%6d" << QVariantList{0} << "     0";
    QTest::newRow("%10d") << "%10d" << QVariantList{1012} << "      1012";
    QTest::newRow("%.3d minimum digits") << "%.3d" << QVariantList{-7} << "-007";
    QTest::newRow("%s unchanged") << "%s" << QVariantList{u"Вариант A"_s} << "Вариант A";
    QTest::newRow("%5s empty gives blanks") << "%5s" << QVariantList{QString()} << "     ";
    QTest::newRow("%5s mark") << "%5s" << QVariantList{u"+"_s} << "    +";
    QTest::newRow("%8s exact fit counts Cyrillic as one")
        << "%8s" << QVariantList{u"N выбора"_s} << "N выбора";
    QTest::newRow("%11s") << "%11s" << QVariantList{u"Время"_s} << "      Время";
    QTest::newRow("%6s never cut")
        << "%6s" << QVariantList{u"Образная"_s} << "Образная";
    QTest::newRow("%% alone") << "100%%" << QVariantList{} << "100%";
    QTest::newRow("%% then field") << "%%%3d" << QVariantList{5} << "%  5";
    QTest::newRow("per cent sign as text")
        << "V = %2.0f%s" << QVariantList{74.75, u"%"_s} << "V = 75%";
    QTest::newRow("text around fields")
        << "Код: %s  N[+] = %d, %4.2f сек" << QVariantList{u"А-1"_s, 5, 4.375}
        << "Код: А-1  N[+] = 5, 4,38 сек";
    // A per cent sign inside an argument is not a field.
    QTest::newRow("argument with %d in it") << "%s" << QVariantList{u"%d%%"_s} << "%d%%";
}

void TestFormat::fields()
{
    QFETCH(QString, format);
    QFETCH(QVariantList, args);
    QFETCH(QString, expected);
    QCOMPARE(FormatVariants(format, args, Russian()), expected);
}

void TestFormat::mismatchedFormats_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QVariantList>("args");

    QTest::newRow("%d with double") << "%d" << QVariantList{1.0};
    QTest::newRow("%f with int") << "%3.0f" << QVariantList{30};
    QTest::newRow("%s with int") << "%s" << QVariantList{1};
    QTest::newRow("too few arguments") << "%d %d" << QVariantList{1};
    QTest::newRow("too many arguments") << "%d" << QVariantList{1, 2};
    QTest::newRow("unknown conversion") << "%x" << QVariantList{1};
    QTest::newRow("lone % at end") << "abc%" << QVariantList{};
    QTest::newRow("left-justify flag") << "%-5d" << QVariantList{1};
    QTest::newRow("precision would cut text") << "%5.2s" << QVariantList{u"abc"_s};
}

void TestFormat::mismatchedFormats()
{
    QFETCH(QString, format);
    QFETCH(QVariantList, args);
    QVERIFY_THROWS_EXCEPTION(KavrError, FormatVariants(format, args, Russian()));
}

void TestFormat::regionalSettings_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("dateTime");
    QTest::addColumn<QString>("time");

    const QLocale ru(QLocale::Russian, QLocale::Russia);
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QDate day(2026, 12, 7);
    QTest::newRow("ru afternoon") << ru << QDateTime(day, QTime(14, 5, 9)) << ","
                                  << "07.12.2026 14:05:09" << "14:05:09";
    QTest::newRow("ru midnight drops the time") << ru << QDateTime(day, QTime(0, 0, 0)) << ","
                                                << "07.12.2026" << "00:00:00";
    QTest::newRow("ru milliseconds do not count")
        << ru << QDateTime(day, QTime(0, 0, 0, 500)) << "," << "07.12.2026" << "00:00:00";
    QTest::newRow("ru one second past midnight")
        << ru << QDateTime(day, QTime(0, 0, 1)) << "," << "07.12.2026 00:00:01" << "00:00:01";
    QTest::newRow("en_US afternoon") << us << QDateTime(day, QTime(14, 5, 9)) << "."
                                     << "12/7/26 2:05:09 PM" << "2:05:09 PM";
    QTest::newRow("en_US morning") << us << QDateTime(QDate(2026, 3, 1), QTime(9, 3, 4)) << "."
                                   << "3/1/26 9:03:04 AM" << "9:03:04 AM";
    // Persian: the zone sits in brackets, the digits must stay ASCII, and the Arabic decimal
    // separator, which Windows-1251 lacks, gives way to the ASCII one.
    QTest::newRow("fa_IR ASCII digits and separator")
        << QLocale(QLocale::Persian, QLocale::Iran) << QDateTime(day, QTime(14, 5, 9))
        << u"."_s << "2026/12/7 14:05:09" << "14:05:09";
}

void TestFormat::regionalSettings()
{
    QFETCH(QLocale, locale);
    QFETCH(QDateTime, when);
    QFETCH(QString, separator);
    QFETCH(QString, dateTime);
    QFETCH(QString, time);

    const FormatSettings settings = FormatSettings::fromLocale(locale);
    QCOMPARE(settings.decimalSeparator, separator);
    QCOMPARE(DateTimeToStr(when, settings), dateTime);
    QCOMPARE(TimeToStr(when.time(), settings), time);
    QCOMPARE(FormatFixed(2.125, 2, settings), u'2' + separator + u"13");
    // Qt's own long time formats carry a time zone; the settings must not.
    QVERIFY(locale.timeFormat(QLocale::LongFormat).contains(u't'));
    QVERIFY(!settings.longTimeFormat.contains(u't'));
}

void TestFormat::settingsOutsideTheCodePage_data()
{
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("dateTime"); // 7 December 2026, 14:05:09, as printed

    QTest::newRow("Russian: unchanged") << u","_s << u"dd.MM.yyyy"_s << u"HH:mm:ss"_s
                                        << u"07.12.2026 14:05:09"_s;
    QTest::newRow("Arabic separator, direction marks") << u"\u066B"_s << u"d\u200F/M\u200F/yyyy"_s
                                                       << u"HH:mm:ss"_s << u"7/12/2026 14:05:09"_s;
    QTest::newRow("narrow no-break space, Arabic comma") << u","_s << u"dd.MM.yyyy"_s
                                                         << u"h\u202Fmm\u060Css AP"_s
                                                         << u"07.12.2026 2 05:09 PM"_s;
    QTest::newRow("a character beyond 16 bits") << u"\U0001D7D8"_s << u"dd\U0001F4C5MM.yyyy"_s
                                                << u"HH:mm:ss"_s << u"07.12.2026 14:05:09"_s;
    QTest::newRow("no-break space kept: Windows-1251 has it") << u"."_s << u"dd\u00A0MM\u00A0yyyy"_s
                                                              << u"HH:mm:ss"_s << u"07\u00A012\u00A02026 14:05:09"_s;
}

void TestFormat::settingsOutsideTheCodePage()
{
    QFETCH(QString, separator);
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(QString, dateTime);
    FormatSettings given;
    given.decimalSeparator = separator;
    given.shortDateFormat = date;
    given.longTimeFormat = time;
    const FormatSettings settings = given.encodable();
    QCOMPARE(DateTimeToStr(QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9)), settings), dateTime);
    const QString fixed = FormatFixed(2.125, 2, settings);
    QCOMPARE(fixed, u'2' + (separator == u","_s ? separator : u"."_s) + u"13");
    QVERIFY(FitsWindows1251(QString(settings.decimalSeparator + settings.shortDateFormat + settings.longTimeFormat)));
}

QTEST_GUILESS_MAIN(TestFormat)
#include "test_format.moc"
