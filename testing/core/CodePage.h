#pragma once
// The protocol's code page, Windows-1251: Qt's ICU converter (CodePageIcu.cpp) or, on
// Windows, the system's code page 1251 (CodePageWin32.cpp). Both are strict: a character
// without a byte is reported, never replaced.
#include <QByteArray>
#include <QString>

#include <optional>

namespace kavr {

// The Windows-1251 bytes of text, or nothing when a character has no byte there.
std::optional<QByteArray> ToWindows1251(QStringView text);
bool FitsWindows1251(QStringView text);
// Every byte gives one character; never fails.
QString FromWindows1251(const QByteArray &bytes);

} // namespace kavr
