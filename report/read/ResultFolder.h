#pragma once
// The protocol files of a Result folder.
#include <QString>
#include <QStringList>

namespace kavr::report {

// Every protocol in folder (not below it), *.IM.txt and the recovered *.IM.recovered.txt, as
// full paths, ordered by name with numbers inside names counted as numbers (Иванов-2 before
// Иванов-10).
QStringList ListProtocolFiles(const QString &folder);

} // namespace kavr::report
