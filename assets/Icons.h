#pragma once
// The program's icon and the two-state glyphs of the log-in buttons, read from the bitmaps
// built into the program. Needs a QGuiApplication (pixmaps).
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace kavr::assets {

// The program's own icon: one 32 × 32 image.
QIcon ProgramIcon();

// The same pixels as the 24-bit 32 × 32 bitmap that the about box shows.
QPixmap AppIconPixmap();

// One 18 × 18 half of the glyph bitmap of a button ("BtnEnter", "BtnExit"): the left half when
// enabled, the right one when disabled, with the bitmap's transparent colour (that of its
// lower-left pixel) made transparent. A null pixmap for an unknown name.
QPixmap ButtonGlyph(const QString &name, bool enabled);

} // namespace kavr::assets
