#pragma once
// Saving a protocol: Result/<code>.IM.txt, Windows-1251, CR LF after every line, no BOM.
// The file is written whole and made durable under a temporary name in the same folder, then
// renamed over the old one, so a crash or a full disk never leaves half a protocol nor destroys
// the earlier file, and two workstations saving into one shared folder at once never mix their
// files: each rename puts one whole file in place.
//
// Result may be shared by several operators and workstations (a folder of a group, a network
// share), and whatever anyone left there is treated as such:
// - a name taken by a symbolic link (on Windows also a junction), a FIFO, a device or a folder is
//   never followed, opened or replaced: the save goes to the fallback folders and says why;
// - an earlier protocol that carries no write bit at all (the read-only attribute on Windows) was
//   made so on purpose: it is not replaced either;
// - an earlier protocol of another operator is replaced (the folder's write permission decides,
//   not the file's), and in a folder the group may write, new files are the group's to replace;
// - a protocol held open by another program (Windows: a spreadsheet, an editor, a scan) is tried
//   again for InUseWaitMs before the save falls back.
// The fallback folders hold subjects' names outside the lab's folder: what is written there is
// the user's alone.
#include <QString>
#include <QStringList>

namespace kavr {

struct SaveTarget
{
    QString resultDir;            // <executable folder>/Result, created when missing
    QStringList fallbackDirs;     // tried in order when the save into resultDir fails
    // The last fallback: a folder of the user's own, created when missing and used only while it
    // is the user's own and closed to others. Empty for none.
    QString privateDir;

    // Every folder a protocol or a journal may go to, in order.
    QStringList folders() const;
};

// What a save did.
struct SaveOutcome
{
    QString path;  // the full path written; empty when no folder took the protocol
    // "Cannot create file <path>" with the reason, and where the protocol went; empty when saved
    // in Result
    QString error;
};

inline constexpr int InUseWaitMs = 3'000;

QString ProtocolFileName(const QString &code); // "<code>.IM.txt"
// "<code>.IM.recovered.txt"; from n = 2 on "<code> (n).IM.recovered.txt".
QString RecoveredFileName(const QString &code, int n = 1);
inline constexpr QStringView RecoveredSuffix = u".IM.recovered.txt";
inline constexpr int MaxRecoveredNumber = 999;

// The longest name of any file the program makes from code (protocols, journals and their
// locks, recovered protocols, their temporary names), in UTF-8 bytes as Linux counts them:
// the stricter count, whichever system a shared Result lies on.
qsizetype LongestFileNameBytes(const QString &code);

QByteArray EncodeProtocol(const QStringList &lines); // throws KavrError if not Windows-1251

// Saves into resultDir, created when missing; when that fails, into the first fallback folder
// that takes it. Throws only what EncodeProtocol throws.
SaveOutcome TrySaveProtocol(const SaveTarget &target, const QString &code, const QStringList &lines);

// Saves the protocol of an interrupted test as a new file, RecoveredFileName with the first n
// not yet taken, in resultDir (created when missing) or else in the first fallback folder that
// takes it; written whole under a temporary name first, and never in place of anything that has
// the name. Returns the full path; throws KavrError when no folder takes it. Saved elsewhere
// than in resultDir, notInResult (when given) says why resultDir did not take it.
QString SaveRecoveredProtocol(const SaveTarget &target, const QString &code,
                              const QStringList &lines, QString *notInResult = nullptr);

// <executable folder>/Result; the home folder, then the user's own folder in the temporary
// folder, as fallbacks.
SaveTarget DefaultSaveTarget(const QString &executableDir);

// Whether the folder may take new files: Result is created when missing, the private folder is
// created and checked to be the user's own. The same rules for the save and the journal.
bool UsableSaveFolder(const SaveTarget &target, const QString &folder);
// Why the folder takes no new file, found by making one and removing it; empty when it does.
QString SaveFolderProblem(const SaveTarget &target, const QString &folder);

} // namespace kavr
