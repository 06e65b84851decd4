// The 72 built-in figure pictures: numbering, how each file is encoded, and what it shows.
#include "JpegStructure.h"
#include "assets/JpegDecoder.h"
#include "assets/PictureCatalogue.h"
#include "error/KavrError.h"

#include <QDir>
#include <QRegularExpression>
#include <QtTest>

#include <array>
#include <climits>

using namespace kavr::assets;

namespace {

// Outermost stroke pixels of a drawing, inclusive pixel indices.
struct Box
{
    double x0, y0, x1, y1;
};

enum class Drawings { A, B, Practice };

struct PictureSet
{
    qint32 base;
    Drawings drawings;
    QSize size;
    int dotsPerInch;
};

const PictureSet Sets[] = {
    {0, Drawings::A, {166, 146}, 80},
    {12, Drawings::A, {127, 112}, 61},
    {100, Drawings::B, {166, 146}, 80},
    {112, Drawings::B, {127, 112}, 61},
    {1000, Drawings::Practice, {56, 49}, 27},
    {1012, Drawings::Practice, {37, 33}, 18},
};

const QSize ExposureSize(166, 146);
const QSize ExampleSize(56, 49);

// Extent of each drawing in the 166 x 146 exposure picture.
const std::array<Box, 12> BoxesA = {{
    {32, 23, 133, 122},  // square
    {32, 22, 133, 123},  // circle
    {17, 41, 148, 107},  // semicircle
    {32, 22, 133, 122},  // right triangle
    {33, 23, 132, 122},  // parallelogram
    {25, 23, 140, 122},  // trapezoid
    {23, 39, 142, 106},  // ellipse
    {24, 15, 141, 130},  // isosceles triangle
    {16, 37, 147, 110},  // rhombus
    {51, 22, 114, 123},  // upright rectangle
    {55, 23, 110, 122},  // tall narrow triangle
    {32, 41, 133, 104},  // lying rectangle
}};
const std::array<Box, 12> BoxesB = {{
    {22, 40, 143, 106},
    {22, 40, 143, 106},
    {22, 40, 141, 107},
    {16, 37, 147, 110},
    {32, 23, 133, 122},
    {32, 23, 133, 122},
    {33, 24, 131, 121},
    {32, 23, 133, 122},
    {32, 23, 133, 122},
    {31, 13, 134, 116}, // centred 8 pixels higher than the rest
    {25, 23, 140, 122},
    {32, 23, 133, 122},
}};

// Practice boxes in the 56 x 49 example picture: w x h at left, top.
constexpr Box practiceBox(double w, double h, double left, double top)
{
    return {left, top, left + w - 1, top + h - 1};
}
const std::array<Box, 12> BoxesPractice = {{
    practiceBox(34, 33, 11, 8),
    practiceBox(40, 21, 8, 14),
    practiceBox(34, 13, 11, 18),
    practiceBox(41, 23, 8, 13),
    practiceBox(42, 9, 7, 20),
    practiceBox(30, 30, 13, 10),
    practiceBox(13, 34, 22, 9),
    practiceBox(34, 33, 11, 8),
    practiceBox(41, 23, 8, 13),
    practiceBox(40, 21, 8, 14),
    practiceBox(16, 33, 20, 8),
    practiceBox(10, 37, 23, 6),
}};

// The drawing's box in picture `number`: the table's box scaled from the size the table is
// given in, outer pixel edges scaled.
Box expectedBox(const PictureSet &set, int figure)
{
    const std::array<Box, 12> &boxes = set.drawings == Drawings::A ? BoxesA
                                      : set.drawings == Drawings::B ? BoxesB
                                                                    : BoxesPractice;
    const QSize design = set.drawings == Drawings::Practice ? ExampleSize : ExposureSize;
    const double sx = double(set.size.width()) / design.width();
    const double sy = double(set.size.height()) / design.height();
    const Box b = boxes.at(figure - 1);
    return {b.x0 * sx, b.y0 * sy, (b.x1 + 1) * sx - 1, (b.y1 + 1) * sy - 1};
}

// Annex K.1 example tables in natural (row by row) order.
constexpr std::array<int, 64> LuminanceBase = {
    16, 11, 10, 16, 24, 40, 51, 61,    12, 12, 14, 19, 26, 58, 60, 55,
    14, 13, 16, 24, 40, 57, 69, 56,    14, 17, 22, 29, 51, 87, 80, 62,
    18, 22, 37, 56, 68, 109, 103, 77,  24, 35, 55, 64, 81, 104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99,
};
constexpr std::array<int, 64> ChrominanceBase = {
    17, 18, 24, 47, 99, 99, 99, 99,  18, 21, 26, 66, 99, 99, 99, 99,
    24, 26, 56, 99, 99, 99, 99, 99,  47, 66, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99,  99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99,  99, 99, 99, 99, 99, 99, 99, 99,
};

// IJG quality scaling: percentage 5000 / q below 50, 200 - 2q from 50; baseline limit 255.
QList<int> scaledTable(const std::array<int, 64> &base, int quality)
{
    const int percent = quality < 50 ? 5000 / quality : 200 - 2 * quality;
    QList<int> table;
    for (int value : base)
        table.append(std::clamp((value * percent + 50) / 100, 1, 255));
    return table;
}

// Natural-order index of each zigzag position: the anti-diagonals, walked alternately up
// and down, starting to the right of the corner.
QList<int> zigzagOrder()
{
    QList<int> order;
    for (int sum = 0; sum <= 14; ++sum) {
        for (int i = 0; i <= sum; ++i) {
            const int row = sum % 2 ? i : sum - i;
            const int col = sum - row;
            if (row < 8 && col < 8)
                order.append(row * 8 + col);
        }
    }
    return order;
}

// Annex K.3 Huffman code length counts (codes of 1 to 16 bits).
const QList<int> DcLuminanceBits = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
const QList<int> DcChrominanceBits = {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0};
const QList<int> AcLuminanceBits = {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d};
const QList<int> AcChrominanceBits = {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77};

int luma(const QImage &image, int x, int y)
{
    const uchar *p = image.constScanLine(y) + 3 * x;
    return (299 * p[0] + 587 * p[1] + 114 * p[2]) / 1000;
}

constexpr int DarkBelow = 192;
constexpr int FrameWidth = 2;

bool inFrame(const QImage &image, int x, int y)
{
    return x < FrameWidth || y < FrameWidth || x >= image.width() - FrameWidth || y >= image.height() - FrameWidth;
}

QImage scaled(const QImage &image, QSize size)
{
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB888);
}

// Pixels inside the frame whose luminance differs by more than 64.
int differingPixels(const QImage &a, const QImage &b)
{
    int count = 0;
    for (int y = FrameWidth + 1; y < a.height() - FrameWidth - 1; ++y)
        for (int x = FrameWidth + 1; x < a.width() - FrameWidth - 1; ++x)
            count += std::abs(luma(a, x, y) - luma(b, x, y)) > 64;
    return count;
}

QString thrownText(qint32 number, QByteArray (*load)(qint32))
{
    try {
        load(number);
    } catch (const kavr::KavrError &e) {
        return e.message();
    }
    return {};
}

} // namespace

class TestPictures : public QObject
{
    Q_OBJECT

private:
    void addPictureRows()
    {
        QTest::addColumn<qint32>("number");
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("figure");
        for (int s = 0; s < int(std::size(Sets)); ++s)
            for (int f = 1; f <= 12; ++f)
                QTest::addRow("picture %d", Sets[s].base + f) << Sets[s].base + f << s << f;
    }

private slots:
    void pictureNumbers_data()
    {
        QTest::addColumn<qint32>("number");
        QTest::addColumn<bool>("inCatalogue");
        for (qint32 n : {1, 12, 13, 24, 101, 112, 113, 124, 1001, 1012, 1013, 1024})
            QTest::addRow("%d", n) << n << true;
        for (qint32 n : {0, 25, 50, 100, 125, 999, 1000, 1025, 1124, -1, -101, INT_MIN, INT_MAX})
            QTest::addRow("%d", n) << n << false;
    }
    void pictureNumbers()
    {
        QFETCH(qint32, number);
        QFETCH(bool, inCatalogue);
        QCOMPARE(IsPictureNumber(number), inCatalogue);
        if (inCatalogue)
            QVERIFY(!PictureData(number).isEmpty());
    }

    void embeddedFilesAreTheCatalogue()
    {
        // Every file the build embeds is a catalogue number, and every number has its file.
        QList<qint32> embedded;
        for (const QString &name : QDir(QStringLiteral(":/pictures")).entryList(QDir::Files)) {
            QVERIFY2(QRegularExpression(QStringLiteral("^[0-9]{4}\\.jpg$")).match(name).hasMatch(),
                     qPrintable(name));
            embedded << name.left(4).toInt();
        }
        QCOMPARE(embedded, PictureNumbers());
    }

    void missingPictureFails_data()
    {
        QTest::addColumn<qint32>("number");
        for (qint32 n : {0, 25, 100, 125, 1000, 1025, -1})
            QTest::addRow("%d", n) << n;
    }
    void missingPictureFails()
    {
        QFETCH(qint32, number);
        // The number must stand whole in the text: "25" inside "125" does not count.
        const QRegularExpression named(QStringLiteral("(^|[^0-9-])%1($|[^0-9])").arg(number));
        const QString dataError = thrownText(number, PictureData);
        QVERIFY2(named.match(dataError).hasMatch(), qPrintable(dataError));
        QString loadError;
        try {
            LoadPicture(number);
        } catch (const kavr::KavrError &e) {
            loadError = e.message();
        }
        QCOMPARE(loadError, dataError);
    }

    void dataIsReadAnewEachTime()
    {
        const QByteArray first = PictureData(7);
        const QByteArray second = PictureData(7);
        QCOMPARE(second, first);
        // Two independent copies: nothing is cached and shared between calls.
        QVERIFY(second.constData() != first.constData());
    }

    void markerSequence_data() { addPictureRows(); }
    void markerSequence()
    {
        QFETCH(qint32, number);
        const JpegStructure jpeg(PictureData(number));
        QVERIFY2(jpeg.isValid(), qPrintable(jpeg.error()));
        using J = JpegStructure;
        const QList<quint8> expected = {J::SOI, J::APP0, J::DQT, J::DQT, J::SOF0, J::DHT,
                                        J::DHT, J::DHT, J::DHT, J::SOS, J::EOI};
        QCOMPARE(jpeg.markers(), expected);
        QVERIFY(jpeg.scanEnd() > jpeg.scanBegin());
    }

    void jfifHeader_data() { addPictureRows(); }
    void jfifHeader()
    {
        QFETCH(qint32, number);
        QFETCH(int, set);
        const QByteArray app0 = JpegStructure(PictureData(number)).first(JpegStructure::APP0).payload;
        QCOMPARE(app0.size(), 14);
        QCOMPARE(app0.left(5), QByteArray("JFIF\0", 5));
        QCOMPARE(int(app0.at(5)), 1); // version 1.01
        QCOMPARE(int(app0.at(6)), 1);
        QCOMPARE(int(app0.at(7)), 1); // dots per inch
        QCOMPARE(ReadU16(app0, 8), Sets[set].dotsPerInch);
        QCOMPARE(ReadU16(app0, 10), Sets[set].dotsPerInch);
        QCOMPARE(int(app0.at(12)), 0); // no thumbnail
        QCOMPARE(int(app0.at(13)), 0);
    }

    void frameAndScanHeaders_data() { addPictureRows(); }
    void frameAndScanHeaders()
    {
        QFETCH(qint32, number);
        QFETCH(int, set);
        const JpegStructure jpeg(PictureData(number));
        const QByteArray sof = jpeg.first(JpegStructure::SOF0).payload;
        QCOMPARE(sof.size(), 15);
        QCOMPARE(int(sof.at(0)), 8);
        QCOMPARE(ReadU16(sof, 1), Sets[set].size.height());
        QCOMPARE(ReadU16(sof, 3), Sets[set].size.width());
        QCOMPARE(int(sof.at(5)), 3);
        // Component id, sampling (H << 4 | V), quantisation table: Y 2 x 2, Cb and Cr 1 x 1.
        QCOMPARE(sof.mid(6), QByteArray::fromHex("012200" "021101" "031101"));

        const QByteArray sos = jpeg.first(JpegStructure::SOS).payload;
        // Three components with DC/AC tables 0/0, 1/1, 1/1; full spectral range, no approximation.
        QCOMPARE(sos, QByteArray::fromHex("03" "0100" "0211" "0311" "003F00"));
    }

    void quantisationTables_data() { addPictureRows(); }
    void quantisationTables()
    {
        QFETCH(qint32, number);
        const QList<int> zigzag = zigzagOrder();
        QCOMPARE(zigzag.size(), 64);
        const QList<int> expected[2] = {scaledTable(LuminanceBase, 90), scaledTable(ChrominanceBase, 90)};

        const QList<JpegStructure::Segment> dqts = JpegStructure(PictureData(number)).all(JpegStructure::DQT);
        QCOMPARE(dqts.size(), 2);
        for (int t = 0; t < 2; ++t) {
            const QByteArray &payload = dqts.at(t).payload;
            QCOMPARE(payload.size(), 65);
            QCOMPARE(int(payload.at(0)), t); // 8-bit precision, table t
            QList<int> natural(64);
            for (int k = 0; k < 64; ++k)
                natural[zigzag.at(k)] = quint8(payload.at(1 + k));
            QCOMPARE(natural, expected[t]);
        }
    }

    void huffmanTables_data() { addPictureRows(); }
    void huffmanTables()
    {
        QFETCH(qint32, number);
        const QList<JpegStructure::Segment> dhts = JpegStructure(PictureData(number)).all(JpegStructure::DHT);
        QCOMPARE(dhts.size(), 4);
        // Class << 4 | id, then the Annex K length counts and the number of symbols.
        const struct { int classId; QList<int> bits; int symbols; } expected[4] = {
            {0x00, DcLuminanceBits, 12},
            {0x10, AcLuminanceBits, 162},
            {0x01, DcChrominanceBits, 12},
            {0x11, AcChrominanceBits, 162},
        };
        for (int t = 0; t < 4; ++t) {
            const QByteArray &payload = dhts.at(t).payload;
            QCOMPARE(int(payload.at(0)), expected[t].classId);
            QList<int> bits;
            for (int i = 1; i <= 16; ++i)
                bits.append(quint8(payload.at(i)));
            QCOMPARE(bits, expected[t].bits);
            QCOMPARE(payload.size(), 17 + expected[t].symbols);
            if (expected[t].symbols == 12) // DC symbols are the magnitude categories in order
                for (int i = 0; i < 12; ++i)
                    QCOMPARE(int(payload.at(17 + i)), i);
        }
    }

    void pictureContent_data() { addPictureRows(); }
    void pictureContent()
    {
        QFETCH(qint32, number);
        QFETCH(int, set);
        QFETCH(int, figure);
        const QImage image = LoadPicture(number);
        QCOMPARE(image.format(), QImage::Format_RGB888);
        QCOMPARE(image.size(), Sets[set].size);

        const Box box = expectedBox(Sets[set], figure);
        constexpr double Tolerance = 2;
        int x0 = INT_MAX, y0 = INT_MAX, x1 = -1, y1 = -1;
        int frameLight = 0, fieldDark = 0, boxDark = 0, boxPixels = 0, colourSpread = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const uchar *p = image.constScanLine(y) + 3 * x;
                colourSpread = std::max({colourSpread, std::abs(p[0] - p[1]), std::abs(p[1] - p[2])});
                const int l = luma(image, x, y);
                if (inFrame(image, x, y)) {
                    frameLight += l >= 100;
                    continue;
                }
                const bool nearBox = x >= box.x0 - 3 && x <= box.x1 + 3 && y >= box.y0 - 3 && y <= box.y1 + 3;
                if (!nearBox) {
                    fieldDark += l < 200;
                    continue;
                }
                if (x >= box.x0 && x <= box.x1 && y >= box.y0 && y <= box.y1) {
                    ++boxPixels;
                    boxDark += l < DarkBelow;
                }
                if (l < DarkBelow) {
                    x0 = std::min(x0, x); x1 = std::max(x1, x);
                    y0 = std::min(y0, y); y1 = std::max(y1, y);
                }
            }
        }
        QCOMPARE(frameLight, 0);
        QCOMPARE(fieldDark, 0);
        // Black on white: the colour components carry compression noise only.
        QVERIFY2(colourSpread <= 8, qPrintable(QString::number(colourSpread)));
        // The outline reaches every side of its box and stays inside it.
        const QString extent = QStringLiteral("dark pixels x %1-%2, y %3-%4; box x %5-%6, y %7-%8")
                                   .arg(x0).arg(x1).arg(y0).arg(y1)
                                   .arg(box.x0, 0, 'f', 1).arg(box.x1, 0, 'f', 1).arg(box.y0, 0, 'f', 1).arg(box.y1, 0, 'f', 1);
        QVERIFY2(std::abs(x0 - box.x0) <= Tolerance && std::abs(x1 - box.x1) <= Tolerance
                     && std::abs(y0 - box.y0) <= Tolerance && std::abs(y1 - box.y1) <= Tolerance,
                 qPrintable(extent));
        // An outline, not a filled shape.
        QVERIFY2(boxDark < boxPixels / 2, qPrintable(QStringLiteral("%1 of %2 dark").arg(boxDark).arg(boxPixels)));
    }

    void smallerCopyIsScaledDrawing_data()
    {
        QTest::addColumn<qint32>("largeBase");
        QTest::addColumn<qint32>("smallBase");
        QTest::addColumn<int>("figure");
        for (const auto &[large, small] : {std::pair{0, 12}, {100, 112}, {1000, 1012}})
            for (int f = 1; f <= 12; ++f)
                QTest::addRow("%d from %d", small + f, large + f) << large << small << f;
    }
    void smallerCopyIsScaledDrawing()
    {
        QFETCH(qint32, largeBase);
        QFETCH(qint32, smallBase);
        QFETCH(int, figure);
        const QImage copy = LoadPicture(smallBase + figure);
        const int same = differingPixels(scaled(LoadPicture(largeBase + figure), copy.size()), copy);
        QVERIFY2(same <= 12, qPrintable(QStringLiteral("%1 pixels differ").arg(same)));
        // And no other figure of the set comes anywhere near.
        for (int other = 1; other <= 12; ++other) {
            if (other == figure)
                continue;
            const int differ = differingPixels(scaled(LoadPicture(largeBase + other), copy.size()), copy);
            QVERIFY2(differ > 5 * same + 40, qPrintable(QStringLiteral("picture %1: %2 pixels differ").arg(largeBase + other).arg(differ)));
        }
    }

    void figuresDiffer_data()
    {
        QTest::addColumn<qint32>("a");
        QTest::addColumn<qint32>("b");
        for (qint32 base : {0, 100, 1000})
            for (int f = 1; f <= 12; ++f)
                for (int g = f + 1; g <= 12; ++g)
                    QTest::addRow("%d and %d", base + f, base + g) << base + f << base + g;
        // Figure f of set A, of set B and of the practice set are three different drawings.
        for (int f = 1; f <= 12; ++f) {
            QTest::addRow("%d and %d", f, 100 + f) << f << 100 + f;
            QTest::addRow("%d and %d", f, 1000 + f) << f << 1000 + f;
            QTest::addRow("%d and %d", 100 + f, 1000 + f) << 100 + f << 1000 + f;
        }
    }
    void figuresDiffer()
    {
        QFETCH(qint32, a);
        QFETCH(qint32, b);
        QVERIFY(PictureData(a) != PictureData(b));
        const QImage first = LoadPicture(a);
        const int differ = differingPixels(first, scaled(LoadPicture(b), first.size()));
        // A practice drawing scaled up is compared at exposure size, where lines count more.
        QVERIFY2(differ >= 60, qPrintable(QStringLiteral("%1 pixels differ").arg(differ)));
    }
};

QTEST_GUILESS_MAIN(TestPictures)
#include "test_pictures.moc"
