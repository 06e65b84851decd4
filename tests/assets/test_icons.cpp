// The program's icon and the button glyphs: the stored bitmap formats, and the pictures the
// program takes from them.
#include "assets/Icons.h"

#include <QFile>
#include <QImage>
#include <QTest>
#include <QtEndian>

#include <array>

using namespace kavr::assets;
using namespace Qt::StringLiterals;

namespace {

constexpr std::array<QRgb, 16> kPalette = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255),
};
constexpr QRgb kOlive = qRgb(128, 128, 0);

QByteArray Stored(const QString &file)
{
    QFile f(u":/icons/"_s + file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

quint16 U16(const QByteArray &b, qsizetype at) { return qFromLittleEndian<quint16>(b.constData() + at); }
quint32 U32(const QByteArray &b, qsizetype at) { return qFromLittleEndian<quint32>(b.constData() + at); }
qint32 S32(const QByteArray &b, qsizetype at) { return qFromLittleEndian<qint32>(b.constData() + at); }

// The opaque colours of an image, each once.
QSet<QRgb> OpaqueColours(const QImage &image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) == 255)
                colours.insert(image.pixel(x, y) | 0xff000000u);
    return colours;
}

QRect OpaqueBounds(const QImage &image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

} // namespace

class TestIcons : public QObject
{
    Q_OBJECT

private slots:
    void bitmapHeaders_data();
    void bitmapHeaders();
    void glyphPaletteIsTheSixteenColoursInOrder_data();
    void glyphPaletteIsTheSixteenColoursInOrder();
    void iconFileHoldsOne24BitImageOfTheBitmapsPixels();

    void appIconPixmapShowsTheDescribedPicture();
    void programIconHasTheSamePixels();

    void glyphHalves_data();
    void glyphHalves();
    void unknownGlyphIsNull();
};

void TestIcons::bitmapHeaders_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("rowBytes");

    QTest::newRow("AppIcon") << u"AppIcon.bmp"_s << 32 << 32 << 24 << 96;
    QTest::newRow("BtnEnter") << u"BtnEnter.bmp"_s << 36 << 18 << 4 << 20;
    QTest::newRow("BtnExit") << u"BtnExit.bmp"_s << 36 << 18 << 4 << 20;
}

void TestIcons::bitmapHeaders()
{
    QFETCH(QString, file);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, bits);
    QFETCH(int, rowBytes);

    const QByteArray bmp = Stored(file);
    const quint32 paletteBytes = bits <= 8 ? 4u << bits : 0;
    QCOMPARE(bmp.left(2), QByteArray("BM"));
    QCOMPARE(U32(bmp, 2), quint32(bmp.size()));
    QCOMPARE(U32(bmp, 10), 14 + 40 + paletteBytes);      // pixels follow header and palette
    QCOMPARE(U32(bmp, 14), 40u);                         // BITMAPINFOHEADER
    QCOMPARE(S32(bmp, 18), width);
    QCOMPARE(S32(bmp, 22), height);                      // positive: rows bottom-up
    QCOMPARE(U16(bmp, 26), quint16(1));
    QCOMPARE(U16(bmp, 28), quint16(bits));
    QCOMPARE(U32(bmp, 30), 0u);                          // uncompressed
    QCOMPARE(bmp.size(), qsizetype(14 + 40 + paletteBytes + rowBytes * height));

    const QImage image = QImage::fromData(bmp, "BMP");
    QCOMPARE(image.size(), QSize(width, height));
}

void TestIcons::glyphPaletteIsTheSixteenColoursInOrder_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("BtnEnter") << u"BtnEnter.bmp"_s;
    QTest::newRow("BtnExit") << u"BtnExit.bmp"_s;
}

void TestIcons::glyphPaletteIsTheSixteenColoursInOrder()
{
    QFETCH(QString, file);
    const QByteArray bmp = Stored(file);
    for (int i = 0; i < 16; ++i) {
        const qsizetype at = 54 + 4 * i;
        const QRgb stored = qRgb(quint8(bmp[at + 2]), quint8(bmp[at + 1]), quint8(bmp[at]));
        QCOMPARE(stored, kPalette[i]);
        QCOMPARE(bmp[at + 3], '\0');
    }
    // The lower-left pixel is the first one stored (rows run bottom-up): its high nibble.
    QCOMPARE(quint8(bmp[118]) >> 4, 3); // olive
}

void TestIcons::iconFileHoldsOne24BitImageOfTheBitmapsPixels()
{
    const QByteArray ico = Stored(u"kavr-im.ico"_s);
    QCOMPARE(U16(ico, 0), quint16(0));
    QCOMPARE(U16(ico, 2), quint16(1));  // icon, not cursor
    QCOMPARE(U16(ico, 4), quint16(1));  // one image
    QCOMPARE(quint8(ico[6]), quint8(32));
    QCOMPARE(quint8(ico[7]), quint8(32));
    QCOMPARE(U16(ico, 12), quint16(24));
    const quint32 size = U32(ico, 14);
    const quint32 offset = U32(ico, 18);
    QCOMPARE(qsizetype(offset + size), ico.size());

    const QByteArray dib = ico.mid(offset);
    QCOMPARE(U32(dib, 0), 40u);
    QCOMPARE(S32(dib, 4), 32);
    QCOMPARE(S32(dib, 8), 64);          // colour rows and mask rows
    QCOMPARE(U16(dib, 14), quint16(24));
    const QByteArray pixels = dib.mid(40, 32 * 96);
    const QByteArray mask = dib.mid(40 + 32 * 96);
    QCOMPARE(mask, QByteArray(32 * 4, '\0')); // all opaque

    const QByteArray bmp = Stored(u"AppIcon.bmp"_s);
    QCOMPARE(pixels, bmp.mid(54));
}

void TestIcons::appIconPixmapShowsTheDescribedPicture()
{
    const QImage icon = AppIconPixmap().toImage();
    QCOMPARE(icon.size(), QSize(32, 32));
    QVERIFY(!icon.hasAlphaChannel());

    auto isGrey = [](QRgb c) { return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c) && qRed(c) > 64 && qRed(c) < 224; };
    auto isDarkBlue = [](QRgb c) { return qBlue(c) >= 64 && qBlue(c) <= 160 && qRed(c) < 40 && qGreen(c) < 40; };
    auto isRed = [](QRgb c) { return qRed(c) >= 160 && qGreen(c) < 80 && qBlue(c) < 80; };
    auto isYellow = [](QRgb c) { return qRed(c) >= 224 && qGreen(c) >= 224 && qBlue(c) < 64; };

    for (int i = 0; i < 32; ++i) {
        QVERIFY(isGrey(icon.pixel(i, 0)));
        QVERIFY(isGrey(icon.pixel(i, 31)));
        QVERIFY(isGrey(icon.pixel(0, i)));
        QVERIFY(isGrey(icon.pixel(31, i)));
    }
    QVERIFY(isDarkBlue(icon.pixel(2, 2)));
    QVERIFY(isDarkBlue(icon.pixel(29, 29)));
    int red = 0, yellow = 0, yellowInMiddle = 0;
    for (int y = 1; y < 31; ++y)
        for (int x = 1; x < 31; ++x) {
            const QRgb c = icon.pixel(x, y);
            red += isRed(c);
            yellow += isYellow(c);
            yellowInMiddle += isYellow(c) && QRect(11, 11, 10, 10).contains(x, y);
        }
    QVERIFY2(red >= 40, "no red ring");
    QVERIFY2(yellowInMiddle >= 15, "no monogram in the middle");
    QVERIFY2(yellow - yellowInMiddle >= 16, "no squares on the ring");
    // Tilted: the ring reaches further up on the right than on the left.
    auto topmostRed = [&](int fromX, int toX) {
        for (int y = 1; y < 31; ++y)
            for (int x = fromX; x < toX; ++x)
                if (isRed(icon.pixel(x, y)))
                    return y;
        return 31;
    };
    QVERIFY(topmostRed(20, 31) < topmostRed(1, 12));
}

void TestIcons::programIconHasTheSamePixels()
{
    const QIcon icon = ProgramIcon();
    QVERIFY(!icon.isNull());
    QVERIFY(icon.availableSizes().contains(QSize(32, 32)));
    const QImage fromIcon = icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage fromBitmap = AppIconPixmap().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(fromIcon, fromBitmap);
}

void TestIcons::glyphHalves_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QList<QRgb>>("colours");

    const QRgb black = kPalette[0], green = kPalette[2], navy = kPalette[4], grey = kPalette[8];
    const QRgb red = kPalette[9], lime = kPalette[10], white = kPalette[15];
    QTest::newRow("BtnEnter enabled") << u"BtnEnter"_s << true << QList<QRgb>{green, lime, navy};
    QTest::newRow("BtnExit enabled") << u"BtnExit"_s << true << QList<QRgb>{red, black};
    QTest::newRow("BtnEnter disabled") << u"BtnEnter"_s << false << QList<QRgb>{grey, white};
    QTest::newRow("BtnExit disabled") << u"BtnExit"_s << false << QList<QRgb>{grey, white};
}

void TestIcons::glyphHalves()
{
    QFETCH(QString, name);
    QFETCH(bool, enabled);
    QFETCH(QList<QRgb>, colours);

    const QImage glyph = ButtonGlyph(name, enabled).toImage();
    QCOMPARE(glyph.size(), QSize(18, 18));
    QVERIFY(glyph.hasAlphaChannel());
    QCOMPARE(qAlpha(glyph.pixel(0, 17)), 0);

    // Exactly the described colours show; olive is gone, everywhere.
    const QSet<QRgb> shown = OpaqueColours(glyph);
    QCOMPARE(shown, QSet<QRgb>(colours.begin(), colours.end()));
    QVERIFY(!shown.contains(kOlive));

    // The pixels are the stored half's, olive made see-through.
    const QImage stored = QImage::fromData(Stored(name + u".bmp"_s), "BMP");
    QCOMPARE(stored.pixel(0, 17) | 0xff000000u, kOlive);
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 18; ++x) {
            const QRgb source = stored.pixel(x + (enabled ? 0 : 18), y) | 0xff000000u;
            if (source == kOlive)
                QCOMPARE(qAlpha(glyph.pixel(x, y)), 0);
            else
                QCOMPARE(glyph.pixel(x, y) | 0xff000000u, source);
        }

    // A check mark of about 16 × 15 (the embossed copy reaches one pixel further).
    const QRect bounds = OpaqueBounds(glyph);
    QVERIFY2(bounds.width() >= 15 && bounds.width() <= 17, qPrintable(QString::number(bounds.width())));
    QVERIFY2(bounds.height() >= 14 && bounds.height() <= 16, qPrintable(QString::number(bounds.height())));
    // Its lowest point lies left of the middle, its highest at the right.
    auto columnOf = [&](int y) {
        for (int x = 0; x < 18; ++x)
            if (qAlpha(glyph.pixel(x, y)))
                return x;
        return -1;
    };
    QVERIFY(columnOf(bounds.bottom()) < 9);
    QVERIFY(columnOf(bounds.top()) > 12);
}

void TestIcons::unknownGlyphIsNull()
{
    QVERIFY(ButtonGlyph(u"BtnHelp"_s, true).isNull());
    QVERIFY(ButtonGlyph(u"btnenter"_s, true).isNull());
    QVERIFY(ButtonGlyph(QString(), false).isNull());
}

QTEST_MAIN(TestIcons)
#include "test_icons.moc"
