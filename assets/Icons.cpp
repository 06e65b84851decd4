#include "assets/Icons.h"

#include <QImage>

namespace kavr::assets {

namespace {

constexpr int kGlyphSize = 18;

// Like a classic glyph bitmap: every pixel of the lower-left pixel's colour is see-through.
QImage WithTransparentKey(const QImage &image, QRgb key)
{
    QImage keyed = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < keyed.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x)
            if (line[x] == key)
                line[x] = qRgba(0, 0, 0, 0);
    }
    return keyed;
}

} // namespace

QIcon ProgramIcon()
{
    // The .ico needs Qt's ico image plugin; the bitmap holds the same pixels without it.
    QImage icon(QStringLiteral(":/icons/kavr-im.ico"));
    if (icon.isNull())
        return QIcon(AppIconPixmap());
    return QIcon(QPixmap::fromImage(icon));
}

QPixmap AppIconPixmap()
{
    return QPixmap(QStringLiteral(":/icons/AppIcon.bmp"), "BMP");
}

QPixmap ButtonGlyph(const QString &name, bool enabled)
{
    if (name != QLatin1String("BtnEnter") && name != QLatin1String("BtnExit"))
        return {};
    const QImage bitmap(QStringLiteral(":/icons/%1.bmp").arg(name), "BMP");
    if (bitmap.width() < 2 * kGlyphSize || bitmap.height() < kGlyphSize)
        return {};
    const QRgb key = bitmap.pixel(0, bitmap.height() - 1) | 0xff000000u;
    const QImage half = bitmap.copy(enabled ? 0 : kGlyphSize, 0, kGlyphSize, kGlyphSize);
    return QPixmap::fromImage(WithTransparentKey(half, key));
}

} // namespace kavr::assets
