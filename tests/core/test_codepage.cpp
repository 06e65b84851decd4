// Windows-1251 conversion of the protocol's texts.
#include "testing/core/CodePage.h"

#include <QTest>

using namespace kavr;
using namespace Qt::StringLiterals;

class TestCodePage : public QObject
{
    Q_OBJECT

private slots:
    void encodes_data();
    void encodes();
    void refusesCharactersWithoutByte_data();
    void refusesCharactersWithoutByte();
    void everyByteRoundTrips();
};

void TestCodePage::encodes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("Код") << u"Код"_s << QByteArray::fromHex("caeee4");
    QTest::newRow("Образная память")
        << u"Образная память"_s << QByteArray::fromHex("cee1f0e0e7ede0ff20efe0ecfff2fc");
    QTest::newRow("Ё and ё") << u"Ёё"_s << QByteArray::fromHex("a8b8");
    QTest::newRow("numero sign, dash, guillemets")
        << u"№—«»"_s << QByteArray::fromHex("b997abbb");
    QTest::newRow("euro, trade mark, no-break space, soft hyphen")
        << u"€™\u00A0\u00AD"_s << QByteArray::fromHex("8899a0ad");
    QTest::newRow("Ukrainian and Belarusian letters") << u"ҐЄІЇЎґєіїў"_s
        << QByteArray::fromHex("a5aab2afa1b4bab3bfa2");
    QTest::newRow("ASCII unchanged") << u"N[+] = 5, V = 75%"_s << QByteArray("N[+] = 5, V = 75%");
    QTest::newRow("empty") << QString() << QByteArray();
}

void TestCodePage::encodes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    const std::optional<QByteArray> encoded = ToWindows1251(text);
    QVERIFY(encoded.has_value());
    QCOMPARE(*encoded, bytes);
    QVERIFY(FitsWindows1251(text));
    QCOMPARE(FromWindows1251(bytes), text);
}

void TestCodePage::refusesCharactersWithoutByte_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("emoji") << u"Код 😀"_s;
    QTest::newRow("CJK") << u"李"_s;
    QTest::newRow("Latin with accent") << u"é"_s;
    QTest::newRow("combining acute after a letter") << u"е\u0301"_s;
    QTest::newRow("replacement character") << u"\uFFFD"_s;
    // Letters a best-fit conversion would pass off as look-alikes of the code page.
    QTest::newRow("fullwidth Latin A") << u"\uFF21"_s;
    QTest::newRow("infinity") << u"∞"_s;
    QTest::newRow("Latin a with diaeresis") << u"ä"_s;
    QTest::newRow("Kazakh letter outside the code page") << u"Қ"_s;
    // The converter keeps a final high surrogate back, waiting for its pair, and reports nothing.
    QTest::newRow("final high surrogate") << QString(QChar(0xD800));
    QTest::newRow("lone low surrogate") << QString(QChar(0xDC00));
    QTest::newRow("high surrogate before a letter") << QString(QChar(0xD800)) + u"а"_s;
}

void TestCodePage::refusesCharactersWithoutByte()
{
    QFETCH(QString, text);
    QVERIFY(!ToWindows1251(text).has_value());
    QVERIFY(!FitsWindows1251(text));
    QVERIFY(!FitsWindows1251(QString(u"Иванов "_s + text + u" 01"_s)));
}

void TestCodePage::everyByteRoundTrips()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = FromWindows1251(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(text.at(0xC0), QChar(u'А'));
    QCOMPARE(text.at(0xFF), QChar(u'я'));
    const std::optional<QByteArray> back = ToWindows1251(text);
    QVERIFY(back.has_value());
    QCOMPARE(*back, all);
}

QTEST_GUILESS_MAIN(TestCodePage)
#include "test_codepage.moc"
