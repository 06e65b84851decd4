#pragma once
// The few system colours the screens are drawn in, fixed so that every desktop shows the
// test alike.
#include <QColor>

namespace kavr::ui {

inline const QColor ButtonFace{240, 240, 240};
inline const QColor ButtonShadow{160, 160, 160};
inline const QColor ButtonHighlight{255, 255, 255};
inline const QColor WindowText{0, 0, 0};
inline const QColor Maroon{128, 0, 0};
inline const QColor HighlightRed{255, 0, 0};

} // namespace kavr::ui
