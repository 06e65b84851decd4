#pragma once
// Saving a protocol: Result/<code>.IM.txt, Windows-1251, CR LF after every line, no BOM.
// The file is written to a temporary name in the same folder and renamed over the old one,
// so a crash or a full disk never leaves half a protocol nor destroys the earlier file.
#include <QString>
#include <QStringList>

namespace kavr {

struct SaveTarget
{
    QString resultDir;            // <executable folder>/Result
    QStringList fallbackDirs;     // tried in order when the save into resultDir fails
};

QString ProtocolFileName(const QString &code); // "<code>.IM.txt"
QByteArray EncodeProtocol(const QStringList &lines); // throws KavrError if not Windows-1251

// Returns the full path written. Creates resultDir when it is missing. When the save there
// fails, writes the protocol to the first fallback folder that takes it and throws KavrError
// "Cannot create file <full path>" naming also where the protocol went.
QString SaveProtocol(const SaveTarget &target, const QString &code, const QStringList &lines);

// <executable folder>/Result with home and temp folders as fallbacks.
SaveTarget DefaultSaveTarget(const QString &executableDir);

} // namespace kavr
