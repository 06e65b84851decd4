#pragma once
// The program's look, the same on every desktop: the Fusion style with the classic light
// system colours, "*" as the password character, and the font faces the screens name mapped
// to metric-compatible faces with Cyrillic glyphs where the originals are missing.
class QApplication;
class QFont;
class QString;

namespace kavr::ui {

void ApplyLookAndFeel(QApplication &app);

// A font of the given face and height in pixels (em height, at 96 pixels per inch).
QFont PixelFont(const QString &face, int pixels, bool bold = false);

} // namespace kavr::ui
