#pragma once
// Saving a protocol: Result/<code>.IM.txt, Windows-1251, CR LF after every line, no BOM.
// The file is written to a temporary name in the same folder and renamed over the old one,
// so a crash or a full disk never leaves half a protocol nor destroys the earlier file, and two
// workstations saving into one shared folder at once never mix their files: each rename puts
// one whole file in place.
//
// An earlier protocol that carries no write bit at all (the read-only attribute on Windows) was
// made so on purpose: it is not replaced, and the save counts as not permitted there. A file
// that only this user may not write (another operator's, in the group-writable Result) is
// replaced as before.
#include <QString>
#include <QStringList>

namespace kavr {

struct SaveTarget
{
    QString resultDir;            // <executable folder>/Result
    QStringList fallbackDirs;     // tried in order when the save into resultDir fails
};

// What a save did.
struct SaveOutcome
{
    QString path;  // the full path written; empty when no folder took the protocol
    QString error; // "Cannot create file <path>" and where it went; empty when saved in Result
};

QString ProtocolFileName(const QString &code); // "<code>.IM.txt"
// "<code>.IM.recovered.txt"; from n = 2 on "<code> (n).IM.recovered.txt".
QString RecoveredFileName(const QString &code, int n = 1);
inline constexpr QStringView RecoveredSuffix = u".IM.recovered.txt";

QByteArray EncodeProtocol(const QStringList &lines); // throws KavrError if not Windows-1251

// Saves into resultDir, created when missing; when that fails, into the first fallback folder
// that takes it. Throws only what EncodeProtocol throws.
SaveOutcome TrySaveProtocol(const SaveTarget &target, const QString &code, const QStringList &lines);

// Returns the full path written. Creates resultDir when it is missing. When the save there
// fails, writes the protocol to the first fallback folder that takes it and throws KavrError
// "Cannot create file <full path>" naming also where the protocol went.
QString SaveProtocol(const SaveTarget &target, const QString &code, const QStringList &lines);

// Saves the protocol of an interrupted test as a new file, RecoveredFileName with the first n
// not yet taken, in resultDir (created when missing) or else in the first fallback folder that
// takes it; written whole under a temporary name first, and never in place of an existing
// file. Returns the full path; throws KavrError when no folder takes it.
QString SaveRecoveredProtocol(const SaveTarget &target, const QString &code,
                              const QStringList &lines);

// <executable folder>/Result with home and temp folders as fallbacks.
SaveTarget DefaultSaveTarget(const QString &executableDir);

} // namespace kavr
