// The libjpeg decoder: damaged input of every kind ends in "JPEG error #N" with the decoder's
// message code and never crashes; good input comes out as full-size RGB888 in the right colours.
#include "JpegStructure.h"
#include "assets/JpegDecoder.h"
#include "assets/PictureCatalogue.h"
#include "error/KavrError.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QRegularExpression>
#include <QtTest>

#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>

using namespace kavr::assets;

namespace {

const QRegularExpression JpegErrorText(QStringLiteral("^JPEG error #(\\d+)$"));

// The decoder's message code, -1 if it decoded, -2 if it threw something else than "JPEG error #N".
int errorCode(const QByteArray &jpeg, QImage *image = nullptr)
{
    try {
        const QImage decoded = DecodeJpeg(jpeg);
        if (image)
            *image = decoded;
        return -1;
    } catch (const kavr::KavrError &e) {
        const QRegularExpressionMatch m = JpegErrorText.match(e.message());
        return m.hasMatch() ? m.captured(1).toInt() : -2;
    }
}

QByteArray writeWithQt(const QImage &image, bool progressive = false)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(100);
    writer.setProgressiveScanWrite(progressive);
    if (!writer.write(image))
        qFatal("Qt's JPEG writer failed: %s", qPrintable(writer.errorString()));
    return buffer.data();
}

// Four 32 x 32 quadrants, aligned to whole 16 x 16 coding units so that no colour bleeds far.
QImage quadrants()
{
    QImage image(64, 64, QImage::Format_RGB888);
    QPainter p(&image);
    p.fillRect(0, 0, 32, 32, QColor(255, 0, 0));
    p.fillRect(32, 0, 32, 32, QColor(0, 255, 0));
    p.fillRect(0, 32, 32, 32, QColor(0, 0, 255));
    p.fillRect(32, 32, 32, 32, QColor(255, 255, 0));
    return image;
}

} // namespace

class TestJpegDecoder : public QObject
{
    Q_OBJECT

private slots:
    void damagedInputFails_data()
    {
        QTest::addColumn<QByteArray>("jpeg");
        QTest::addColumn<int>("code");

        const QByteArray good = PictureData(1);
        const JpegStructure jpeg(good);
        QVERIFY(jpeg.isValid());
        const qsizetype sos = jpeg.first(JpegStructure::SOS).offset;
        const qsizetype dqt = jpeg.first(JpegStructure::DQT).offset;
        const qsizetype middleOfScan = (jpeg.scanBegin() + jpeg.scanEnd()) / 2;

        QTest::newRow("not a JPEG") << QByteArray("GIF89a\x10\x00\x10\x00", 10) << int(JERR_NO_SOI);
        QTest::newRow("empty") << QByteArray() << int(JERR_INPUT_EMPTY);
        QTest::newRow("only SOI") << good.left(2) << int(JERR_NO_IMAGE);
        QTest::newRow("headers end before the scan") << good.left(sos) << int(JERR_SOF_NO_SOS);
        QTest::newRow("headers end inside a table") << good.left(dqt + 30) << int(JERR_NO_IMAGE);

        QByteArray lossless = good;
        lossless[jpeg.first(JpegStructure::SOF0).offset + 1] = char(JpegStructure::SOF3);
        QTest::newRow("lossless frame") << lossless << int(JERR_SOF_UNSUPPORTED);

        QByteArray badHuffman = good;
        const qsizetype counts = jpeg.first(JpegStructure::DHT).offset + 5;
        for (int i = 0; i < 16; ++i)
            badHuffman[counts + i] = char(0xFF);
        QTest::newRow("Huffman table with too many codes") << badHuffman << int(JERR_BAD_HUFF_TABLE);

        QByteArray marker = good;
        marker[middleOfScan] = char(0xFF);
        marker[middleOfScan + 1] = char(0x02);
        QTest::newRow("unknown marker inside the scan") << marker << int(JERR_UNKNOWN_MARKER);

        // libjpeg itself would only warn and fill the rest with grey: rejected here.
        QTest::newRow("data ends inside the scan") << good.left(middleOfScan) << int(JWRN_JPEG_EOF);
        QTest::newRow("EOI missing") << good.left(good.size() - 2) << int(JWRN_JPEG_EOF);
        QByteArray restart = good;
        restart[middleOfScan] = char(0xFF);
        restart[middleOfScan + 1] = char(0xD3);
        QTest::newRow("stray restart marker in the scan") << restart << int(JWRN_HIT_MARKER);
    }
    void damagedInputFails()
    {
        QFETCH(QByteArray, jpeg);
        QFETCH(int, code);
        QCOMPARE(errorCode(jpeg), code);
    }

    // Cut anywhere, a file never decodes and never takes the program down.
    void everyTruncationFails_data()
    {
        QTest::addColumn<qint32>("number");
        QTest::newRow("exposure") << 1;
        QTest::newRow("palette") << 1013;
    }
    void everyTruncationFails()
    {
        QFETCH(qint32, number);
        const QByteArray good = PictureData(number);
        QCOMPARE(errorCode(good), -1);
        for (qsizetype length = 0; length < good.size(); ++length) {
            const int code = errorCode(good.left(length));
            if (code < 0)
                QFAIL(qPrintable(QStringLiteral("cut to %1 bytes: %2").arg(length).arg(code == -1 ? QLatin1String("decoded") : QLatin1String("other error"))));
        }
    }

    // Every byte of the file replaced in turn: the result is a whole RGB888 picture or a
    // JPEG error, nothing else.
    void damagedBytesNeverCrash()
    {
        const QByteArray good = PictureData(101);
        int failures = 0;
        for (qsizetype i = 0; i < good.size(); ++i) {
            for (char replacement : {char(good.at(i) ^ 0xFF), char(0x00), char(0xFF)}) {
                QByteArray damaged = good;
                damaged[i] = replacement;
                QImage image;
                const int code = errorCode(damaged, &image);
                if (code == -2)
                    QFAIL(qPrintable(QStringLiteral("byte %1: not a JPEG error").arg(i)));
                if (code == -1 && (image.isNull() || image.format() != QImage::Format_RGB888))
                    QFAIL(qPrintable(QStringLiteral("byte %1: decoded to an unusable image").arg(i)));
                failures += code >= 0;
            }
        }
        // Damage in the headers at least must have been noticed.
        QVERIFY(failures > 600);
    }

    // Each catalogue picture comes out exactly as libjpeg decodes it through Qt's plug-in:
    // full size, every row in place, nothing of the row padding in the pixels.
    void picturesMatchReferenceDecode_data()
    {
        QTest::addColumn<qint32>("number");
        for (qint32 n : {1, 13, 112, 124, 1001, 1013, 1024})
            QTest::addRow("picture %d", n) << n;
    }
    void picturesMatchReferenceDecode()
    {
        QFETCH(qint32, number);
        const QByteArray data = PictureData(number);
        const QImage image = DecodeJpeg(data);
        QCOMPARE(image.format(), QImage::Format_RGB888);
        const QImage reference = QImage::fromData(data, "JPG").convertToFormat(QImage::Format_RGB888);
        QVERIFY(!reference.isNull());
        QCOMPARE(image.size(), reference.size());
        int worst = 0;
        for (int y = 0; y < image.height(); ++y) {
            const uchar *a = image.constScanLine(y), *b = reference.constScanLine(y);
            for (int i = 0; i < 3 * image.width(); ++i)
                worst = std::max(worst, std::abs(a[i] - b[i]));
        }
        QVERIFY2(worst <= 2, qPrintable(QString::number(worst)));
    }

    void coloursKeepTheirChannels_data()
    {
        QTest::addColumn<QByteArray>("jpeg");
        QTest::newRow("baseline") << writeWithQt(quadrants());
        QTest::newRow("progressive") << writeWithQt(quadrants(), true);
    }
    void coloursKeepTheirChannels()
    {
        QFETCH(QByteArray, jpeg);
        const QImage image = DecodeJpeg(jpeg);
        QCOMPARE(image.format(), QImage::Format_RGB888);
        QCOMPARE(image.size(), QSize(64, 64));
        const struct { QPoint at; QColor colour; } samples[] = {
            {{16, 16}, QColor(255, 0, 0)},
            {{48, 16}, QColor(0, 255, 0)},
            {{16, 48}, QColor(0, 0, 255)},
            {{48, 48}, QColor(255, 255, 0)},
        };
        for (const auto &s : samples) {
            const uchar *p = image.constScanLine(s.at.y()) + 3 * s.at.x();
            const QString seen = QStringLiteral("%1,%2,%3 at %4,%5").arg(p[0]).arg(p[1]).arg(p[2]).arg(s.at.x()).arg(s.at.y());
            QVERIFY2(std::abs(p[0] - s.colour.red()) <= 12 && std::abs(p[1] - s.colour.green()) <= 12
                         && std::abs(p[2] - s.colour.blue()) <= 12,
                     qPrintable(seen));
        }
    }

    void greyscaleComesOutAsRgb()
    {
        QImage grey(40, 24, QImage::Format_Grayscale8);
        for (int y = 0; y < grey.height(); ++y)
            for (int x = 0; x < grey.width(); ++x)
                grey.scanLine(y)[x] = uchar(x * 6);
        const QByteArray jpeg = writeWithQt(grey);
        QCOMPARE(int(JpegStructure(jpeg).first(JpegStructure::SOF0).payload.at(5)), 1); // one component
        const QImage image = DecodeJpeg(jpeg);
        QCOMPARE(image.format(), QImage::Format_RGB888);
        QCOMPARE(image.size(), grey.size());
        for (int x : {0, 20, 39}) {
            const uchar *p = image.constScanLine(12) + 3 * x;
            QCOMPARE(p[0], p[1]);
            QCOMPARE(p[1], p[2]);
            QVERIFY2(std::abs(p[0] - x * 6) <= 4, qPrintable(QString::number(p[0])));
        }
    }
};

QTEST_GUILESS_MAIN(TestJpegDecoder)
#include "test_jpegdecoder.moc"
