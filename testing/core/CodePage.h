#pragma once
// The protocol's code page, Windows-1251, through Qt's ICU converter.
#include <QByteArray>
#include <QString>
#include <optional>

namespace kavr {

// The Windows-1251 bytes of text, or nothing when a character has no byte there.
std::optional<QByteArray> ToWindows1251(QStringView text);
bool FitsWindows1251(QStringView text);
QString FromWindows1251(const QByteArray &bytes);

} // namespace kavr
