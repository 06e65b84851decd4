#pragma once
// Files read and written whole by the tests.
#include <QByteArray>
#include <QString>

namespace kavr::test {

// The whole file; empty when it cannot be read.
QByteArray ReadAll(const QString &path);
// Creates or replaces the file; false when it could not be written whole.
bool WriteAll(const QString &path, const QByteArray &bytes);

} // namespace kavr::test
