#pragma once
// The Time column of a protocol file: the twelve placement rows under the column heads.
#include <QByteArray>
#include <QList>
#include <QString>

namespace kavr::bench {

// Seconds per row, as printed (two decimals, point or comma); empty, with error set, when the
// text holds no complete table.
QList<double> ProtocolTimes(const QByteArray &windows1251, QString *error = nullptr);

} // namespace kavr::bench
