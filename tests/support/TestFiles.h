#pragma once
// Files read and written whole by the tests.
#include "testing/core/ProtocolFile.h"

#include <QByteArray>
#include <QString>

namespace kavr::test {

// The whole file; empty when it cannot be read.
QByteArray ReadAll(const QString &path);
// Creates or replaces the file; false when it could not be written whole.
bool WriteAll(const QString &path, const QByteArray &bytes);

// Saves a protocol as FinishTest does and returns the full path written; throws KavrError with
// the operator's message when the protocol did not go to Result.
QString SaveProtocol(const SaveTarget &target, const QString &code, const QStringList &lines);

} // namespace kavr::test
