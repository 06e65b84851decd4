// Draws the program's icon and the two button glyph bitmaps and writes them in the Windows
// formats the program carries: kavr-im.ico (one 24-bit 32 × 32 image), AppIcon.bmp (the same
// pixels as a 24-bit bitmap) and BtnEnter.bmp / BtnExit.bmp (36 × 18, 4 bits per pixel, the
// enabled glyph left, the disabled one right, olive transparent). Qt writes neither 4-bit
// bitmaps nor 24-bit icons, so the files are put together byte by byte here.
//
// Usage: make_icons <output folder> [preview.png]
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QTransform>
#include <QtEndian>

#include <array>
#include <cmath>
#include <cstdio>

namespace {

// The 16 colours of a 4-bit glyph bitmap, in palette order.
enum Colour : quint8 {
    Black, Maroon, Green, Olive, Navy, Purple, Teal, Silver,
    Grey, Red, Lime, Yellow, Blue, Fuchsia, Aqua, White
};

constexpr std::array<QRgb, 16> kPalette = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255),
};

constexpr int kGlyph = 18;
constexpr double kPi = 3.14159265358979323846;

using Cells = std::array<std::array<quint8, 2 * kGlyph>, kGlyph>; // [y][x] palette indices
using Mask = std::array<std::array<bool, kGlyph>, kGlyph>;         // [y][x]

class ByteWriter
{
public:
    void u8(quint8 v) { m_bytes.append(char(v)); }
    void u16(quint16 v) { u8(quint8(v)); u8(quint8(v >> 8)); }
    void u32(quint32 v) { u16(quint16(v)); u16(quint16(v >> 16)); }
    void i32(qint32 v) { u32(quint32(v)); }
    void text(const char *s) { m_bytes.append(s); }
    QByteArray bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

void InfoHeader(ByteWriter &out, int width, int height, int bits, quint32 imageSize, quint32 colours)
{
    out.u32(40);
    out.i32(width);
    out.i32(height);
    out.u16(1);
    out.u16(quint16(bits));
    out.u32(0); // BI_RGB
    out.u32(imageSize);
    out.i32(0);
    out.i32(0);
    out.u32(colours);
    out.u32(0);
}

// Rows bottom-up, blue-green-red, each padded to four bytes.
QByteArray Pixels24(const QImage &image)
{
    QByteArray rows;
    for (int y = image.height() - 1; y >= 0; --y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            rows.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
        }
        while (rows.size() % 4)
            rows.append('\0');
    }
    return rows;
}

QByteArray Bitmap24(const QImage &image)
{
    const QByteArray pixels = Pixels24(image);
    ByteWriter out;
    out.text("BM");
    out.u32(quint32(14 + 40 + pixels.size()));
    out.u32(0);
    out.u32(14 + 40);
    InfoHeader(out, image.width(), image.height(), 24, quint32(pixels.size()), 0);
    return out.bytes() + pixels;
}

QByteArray Bitmap4(const Cells &cells)
{
    QByteArray pixels;
    for (int y = kGlyph - 1; y >= 0; --y) {
        for (int x = 0; x < 2 * kGlyph; x += 2)
            pixels.append(char(cells[y][x] << 4 | cells[y][x + 1]));
        while (pixels.size() % 4)
            pixels.append('\0');
    }
    ByteWriter out;
    const quint32 offset = 14 + 40 + 16 * 4;
    out.text("BM");
    out.u32(quint32(offset + pixels.size()));
    out.u32(0);
    out.u32(offset);
    InfoHeader(out, 2 * kGlyph, kGlyph, 4, quint32(pixels.size()), 16);
    for (QRgb c : kPalette) {
        out.u8(quint8(qBlue(c)));
        out.u8(quint8(qGreen(c)));
        out.u8(quint8(qRed(c)));
        out.u8(0);
    }
    return out.bytes() + pixels;
}

// An icon file with one image: the bitmap is stored twice as high, its lower half being the
// AND mask, all clear here (the square is opaque).
QByteArray Icon24(const QImage &image)
{
    const QByteArray pixels = Pixels24(image);
    const QByteArray mask((image.width() + 31) / 32 * 4 * image.height(), '\0');
    ByteWriter out;
    out.u16(0);
    out.u16(1); // icon
    out.u16(1); // one image
    out.u8(quint8(image.width()));
    out.u8(quint8(image.height()));
    out.u8(0); // no palette
    out.u8(0);
    out.u16(1);
    out.u16(24);
    out.u32(quint32(40 + pixels.size() + mask.size()));
    out.u32(6 + 16);
    InfoHeader(out, image.width(), 2 * image.height(), 24, quint32(pixels.size() + mask.size()), 0);
    return out.bytes() + pixels + mask;
}

// The monogram "IM", 9 × 7 pixels: crisper at this size than any font.
constexpr std::array<const char *, 7> kMonogram = {
    "###.#...#",
    ".#..##.##",
    ".#..#.#.#",
    ".#..#.#.#",
    ".#..#...#",
    ".#..#...#",
    "###.#...#",
};

QImage DrawIcon()
{
    QImage icon(32, 32, QImage::Format_RGB32);
    icon.fill(qRgb(128, 128, 128));
    QPainter p(&icon);
    p.fillRect(1, 1, 30, 30, QColor(0, 0, 104));

    // The ring, tilted by 30 degrees, with eight small squares set on it.
    const QPointF centre(16, 16);
    const double rx = 12.5, ry = 6.5, tilt = -30.0 * kPi / 180.0;
    QTransform transform;
    transform.translate(centre.x(), centre.y()).rotateRadians(tilt);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(220, 16, 16), 2.0));
    p.setBrush(Qt::NoBrush);
    QPainterPath ring;
    ring.addEllipse(QPointF(0, 0), rx, ry);
    p.drawPath(transform.map(ring));
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int k = 0; k < 8; ++k) {
        const double a = k * kPi / 4;
        const QPointF on = transform.map(QPointF(rx * std::cos(a), ry * std::sin(a)));
        p.fillRect(QRect(int(std::lround(on.x())) - 1, int(std::lround(on.y())) - 1, 2, 2), QColor(255, 255, 0));
    }

    p.end();

    // The monogram in the middle.
    const int left = 16 - 9 / 2, top = 16 - 7 / 2 - 1;
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x)
            if (kMonogram[y][x] == '#')
                icon.setPixel(left + x, top + y, qRgb(255, 255, 0));
    return icon;
}

// The check mark, about 16 × 15: a short stroke falling from the left to the bottom point and a
// long one rising to the upper right, each four pixels high in every column.
Mask CheckMark()
{
    Mask mask{};
    auto column = [&mask](int x, int top) {
        for (int y = top; y < top + 4; ++y)
            mask[y][x] = true;
    };
    for (int x = 1; x <= 7; ++x)
        column(x, 6 + x);  // short stroke: tops 7..13
    for (int x = 6; x <= 16; ++x)
        column(x, 18 - x); // long stroke: tops 12..2
    return mask;
}

bool Inside(const Mask &mask, int x, int y)
{
    return x >= 0 && y >= 0 && x < kGlyph && y < kGlyph && mask[y][x];
}

bool OnOutline(const Mask &mask, int x, int y)
{
    return mask[y][x] && (!Inside(mask, x - 1, y) || !Inside(mask, x + 1, y)
                          || !Inside(mask, x, y - 1) || !Inside(mask, x, y + 1));
}

// Enabled BtnEnter: green, lit from above (lime upper edge), shaded below (navy lower edge).
void PaintEnterGlyph(Cells &cells, const Mask &mask)
{
    for (int x = 0; x < kGlyph; ++x)
        for (int y = 0; y < kGlyph; ++y)
            if (mask[y][x])
                cells[y][x] = !Inside(mask, x, y - 1) ? Lime : !Inside(mask, x, y + 1) ? Navy : Green;
}

// Enabled BtnExit: red with a black outline.
void PaintExitGlyph(Cells &cells, const Mask &mask)
{
    for (int x = 0; x < kGlyph; ++x)
        for (int y = 0; y < kGlyph; ++y)
            if (mask[y][x])
                cells[y][x] = OnOutline(mask, x, y) ? Black : Red;
}

// Disabled: the outline in grey over a white copy one pixel lower right, as if embossed.
void PaintDisabledGlyph(Cells &cells, const Mask &mask, int offsetX)
{
    for (int x = 0; x < kGlyph; ++x)
        for (int y = 0; y < kGlyph; ++y)
            if (OnOutline(mask, x, y) && x + 1 < kGlyph && y + 1 < kGlyph)
                cells[y + 1][offsetX + x + 1] = White;
    for (int x = 0; x < kGlyph; ++x)
        for (int y = 0; y < kGlyph; ++y)
            if (OnOutline(mask, x, y))
                cells[y][offsetX + x] = Grey;
}

Cells GlyphBitmap(bool enter)
{
    Cells cells;
    for (auto &row : cells)
        row.fill(Olive);
    const Mask mask = CheckMark();
    if (enter)
        PaintEnterGlyph(cells, mask);
    else
        PaintExitGlyph(cells, mask);
    PaintDisabledGlyph(cells, mask, kGlyph);
    return cells;
}

QImage CellsImage(const Cells &cells)
{
    QImage image(2 * kGlyph, kGlyph, QImage::Format_RGB32);
    for (int y = 0; y < kGlyph; ++y)
        for (int x = 0; x < 2 * kGlyph; ++x)
            image.setPixel(x, y, kPalette[cells[y][x]]);
    return image;
}

bool Save(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s: %lld bytes\n", qPrintable(path), static_cast<long long>(bytes.size()));
    return true;
}

// Everything at eight times its size, glyphs once as stored and once with olive cleared.
QImage Preview(const QImage &icon, const QImage &enter, const QImage &exit)
{
    constexpr int zoom = 8;
    QImage preview(zoom * 110, zoom * 39, QImage::Format_RGB32);
    preview.fill(qRgb(212, 208, 200));
    QPainter p(&preview);
    auto put = [&](const QImage &image, int x, int y) {
        p.drawImage(QRect(zoom * x, zoom * y, zoom * image.width(), zoom * image.height()), image);
    };
    auto keyed = [](const QImage &image) {
        QImage out = image.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = image.pixel(0, image.height() - 1);
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x)
                if (image.pixel(x, y) == key)
                    out.setPixel(x, y, 0);
        return out;
    };
    put(icon, 1, 1);
    put(enter, 35, 1);
    put(keyed(enter), 73, 1);
    put(exit, 35, 20);
    put(keyed(exit), 73, 20);
    return preview;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_icons <output folder> [preview.png]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);

    const QImage icon = DrawIcon();
    const Cells enter = GlyphBitmap(true);
    const Cells exit = GlyphBitmap(false);
    bool ok = Save(folder + QStringLiteral("/kavr-im.ico"), Icon24(icon))
              && Save(folder + QStringLiteral("/AppIcon.bmp"), Bitmap24(icon))
              && Save(folder + QStringLiteral("/BtnEnter.bmp"), Bitmap4(enter))
              && Save(folder + QStringLiteral("/BtnExit.bmp"), Bitmap4(exit));
    if (ok && argc == 3)
        ok = Preview(icon, CellsImage(enter), CellsImage(exit)).save(QString::fromLocal8Bit(argv[2]));
    return ok ? 0 : 1;
}
