#include "testing/core/ProtocolFile.h"

#include "error/KavrError.h"
#include "platform/files/FileAccess.h"
#include "testing/core/CodePage.h"
#include "testing/core/TestJournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kavr {

namespace {

using platform::FileError;
using platform::FileSharing;

QString FullPath(const QString &dirPath, const QString &fileName)
{
    return QDir::cleanPath(QFileInfo(QDir(dirPath), fileName).absoluteFilePath());
}

QString Native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Files outside the lab's folder are the user's alone.
FileSharing SharingIn(const SaveTarget &target, const QString &dir)
{
    return dir == target.resultDir ? FileSharing::Folder : FileSharing::Owner;
}

// Writes the whole file or leaves the folder as it was.
FileError WriteWhole(const SaveTarget &target, const QString &dir, const QString &fileName,
                     const QByteArray &bytes)
{
    if (!UsableSaveFolder(target, dir))
        return {FileError::Code::NotFound, QStringLiteral("папку нельзя создать или в неё нельзя писать")};
    return platform::SaveFile(FullPath(dir, fileName), bytes, SharingIn(target, dir),
                              platform::Replace::RegularFile, InUseWaitMs);
}

// Writes bytes whole under the first free name of the recovered protocol, never in place of
// anything. Empty when the folder does not take it.
// Empty when the folder does not take it, and why in refusal.
QString WriteNew(const SaveTarget &target, const QString &dir, const QString &code,
                 const QByteArray &bytes, QString &refusal)
{
    if (!UsableSaveFolder(target, dir)) {
        refusal = QStringLiteral("папку нельзя создать или в неё нельзя писать");
        return {};
    }
    for (int n = 1; n <= MaxRecoveredNumber; ++n) {
        const QString path = FullPath(dir, RecoveredFileName(code, n));
        if (platform::InspectFile(path).kind != platform::FileKind::Missing)
            continue;
        const FileError error = platform::SaveFile(path, bytes, SharingIn(target, dir), platform::Replace::Never);
        if (!error)
            return path;
        refusal = error.reason;
        if (error.code != FileError::Code::Exists)
            break; // refused for another reason than a name taken meanwhile
    }
    return {};
}

bool NamesAFile(const QString &code)
{
    // A separator would put the file into another folder than the one meant.
    return !code.isEmpty() && !code.contains(u'/') && !code.contains(u'\\');
}

} // namespace

QStringList SaveTarget::folders() const
{
    QStringList all{resultDir};
    all << fallbackDirs;
    if (!privateDir.isEmpty())
        all << privateDir;
    all.removeAll(QString());
    return all;
}

bool UsableSaveFolder(const SaveTarget &target, const QString &folder)
{
    if (folder.isEmpty())
        return false;
    if (folder == target.privateDir)
        return platform::UsablePrivateFolder(folder, true);
    if (folder == target.resultDir)
        return QDir().mkpath(folder);
    return QFileInfo(folder).isDir();
}

QString SaveFolderProblem(const SaveTarget &target, const QString &folder)
{
    if (!UsableSaveFolder(target, folder))
        return QStringLiteral("папку нельзя создать или в неё нельзя писать");
    platform::ProbeFile probe = platform::CreateProbeFile(folder, SharingIn(target, folder));
    platform::DiscardProbeFile(probe);
    return probe.error.reason;
}

QString ProtocolFileName(const QString &code)
{
    return code + QStringLiteral(".IM.txt");
}

QString RecoveredFileName(const QString &code, int n)
{
    return (n > 1 ? QStringLiteral("%1 (%2)").arg(code).arg(n) : code) + RecoveredSuffix;
}

qsizetype LongestFileNameBytes(const QString &code)
{
    const QString longestJournal = JournalFileName(code, TestJournal::MaxJournalNumber);
    const QStringList names{
        platform::TemporaryFileName(ProtocolFileName(code)),
        platform::TemporaryFileName(RecoveredFileName(code, MaxRecoveredNumber)),
        RecoveredFileName(code, MaxRecoveredNumber),
        longestJournal + TestJournal::LockSuffix,
        DamagedJournalFileName(longestJournal, MaxRecoveredNumber),
    };
    qsizetype longest = 0;
    for (const QString &name : names)
        longest = std::max(longest, name.toUtf8().size());
    return longest;
}

QByteArray EncodeProtocol(const QStringList &lines)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const std::optional<QByteArray> line = ToWindows1251(lines.at(i));
        if (!line)
            throw KavrError(QStringLiteral("Строка %1 протокола содержит символ, которого нет "
                                           "в кодировке Windows-1251")
                                .arg(i + 1));
        bytes += *line;
        bytes += "\r\n";
    }
    return bytes;
}

SaveOutcome TrySaveProtocol(const SaveTarget &target, const QString &code, const QStringList &lines)
{
    const QByteArray bytes = EncodeProtocol(lines);
    const QString fileName = ProtocolFileName(code);
    const QString intended = FullPath(target.resultDir, fileName);
    FileError error{FileError::Code::NotFound, QStringLiteral("код не может быть именем файла")};
    if (NamesAFile(code)) {
        error = WriteWhole(target, target.resultDir, fileName, bytes);
        if (!error)
            return {intended, {}};
    }

    SaveOutcome outcome{{}, QStringLiteral("Cannot create file %1 (%2)").arg(Native(intended), error.reason)};
    if (error.code == FileError::Code::InUse)
        outcome.error += QStringLiteral("; закройте его там, чтобы следующий протокол этого кода лёг на место");
    QStringList others = target.folders();
    others.removeFirst();
    for (const QString &dir : std::as_const(others)) {
        if (NamesAFile(code) && !WriteWhole(target, dir, fileName, bytes)) {
            outcome.path = FullPath(dir, fileName);
            outcome.error += QStringLiteral("\nПротокол сохранён в файле ") + Native(outcome.path);
            return outcome;
        }
    }
    if (!others.isEmpty()) {
        QStringList dirs;
        for (const QString &dir : std::as_const(others))
            dirs << Native(QDir::cleanPath(QDir(dir).absolutePath()));
        outcome.error += QStringLiteral("\nСохранить протокол не удалось и в папках ")
            + dirs.join(QStringLiteral(", "));
    }
    return outcome;
}

QString SaveRecoveredProtocol(const SaveTarget &target, const QString &code,
                              const QStringList &lines, QString *notInResult)
{
    const QByteArray bytes = EncodeProtocol(lines);
    QString path;
    if (NamesAFile(code)) {
        const QStringList folders = target.folders();
        for (qsizetype i = 0; path.isEmpty() && i < folders.size(); ++i) {
            QString refusal;
            path = WriteNew(target, folders.at(i), code, bytes, refusal);
            if (path.isEmpty() && i == 0 && notInResult)
                *notInResult = refusal;
        }
    }
    if (path.isEmpty())
        throw KavrError(QStringLiteral("Cannot create file ")
                        + Native(FullPath(target.resultDir, RecoveredFileName(code))));
    return path;
}

SaveTarget DefaultSaveTarget(const QString &executableDir)
{
    return {executableDir + QStringLiteral("/Result"), {QDir::homePath()}, platform::PrivateTempFolder()};
}

} // namespace kavr
