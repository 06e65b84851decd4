#include "testing/core/ProtocolFile.h"

#include "error/KavrError.h"
#include "testing/core/CodePage.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

namespace kavr {

namespace {

constexpr int MaxRecoveredNumber = 999;

QString FullPath(const QString &dirPath, const QString &fileName)
{
    return QDir::cleanPath(QFileInfo(QDir(dirPath), fileName).absoluteFilePath());
}

// No write bit for anyone: read-only on purpose. Qt gives Windows' read-only attribute so too.
bool ReadOnlyOnPurpose(const QFileInfo &file)
{
    constexpr QFile::Permissions AnyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return file.exists() && !(file.permissions() & AnyWrite);
}

bool UsableDir(const QString &dirPath, bool createDir)
{
    return createDir ? QDir().mkpath(dirPath) : QFileInfo(dirPath).isDir();
}

// Writes the whole file or leaves the folder as it was. No direct-write fallback: it could
// leave half a protocol behind.
bool WriteWhole(const QString &dirPath, const QString &fileName, const QByteArray &bytes,
                bool createDir)
{
    // A separator would put the file into another folder than the one meant.
    if (dirPath.isEmpty() || fileName.contains(u'/') || fileName.contains(u'\\'))
        return false;
    if (!UsableDir(dirPath, createDir))
        return false;
    const QString path = FullPath(dirPath, fileName);
    if (ReadOnlyOnPurpose(QFileInfo(path)))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    // commit() renames even after a short write or a failed flush (Qt 6.4), which would
    // replace the earlier file with a cut one: check every step first. commit() makes the
    // data durable before the rename.
    if (file.write(bytes) != bytes.size() || !file.flush()
        || file.error() != QFileDevice::NoError) {
        file.cancelWriting(); // the temporary file goes with the object
        return false;
    }
    return file.commit();
}

// Writes bytes whole under a temporary name of its own, then gives it the first free name of
// the recovered protocol: a rename that never replaces. Empty when the folder does not take it.
QString WriteNew(const QString &dirPath, const QString &code, const QByteArray &bytes, bool createDir)
{
    if (dirPath.isEmpty() || code.contains(u'/') || code.contains(u'\\'))
        return {};
    const QString temporary = QStringLiteral(".%1.%2.tmp")
                                  .arg(RecoveredFileName(code))
                                  .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    if (!WriteWhole(dirPath, temporary, bytes, createDir))
        return {};
    const QString temporaryPath = FullPath(dirPath, temporary);
    for (int n = 1; n <= MaxRecoveredNumber; ++n) {
        const QString path = FullPath(dirPath, RecoveredFileName(code, n));
        if (QFileInfo::exists(path))
            continue;
        if (QFile::rename(temporaryPath, path))
            return path;
        if (!QFileInfo::exists(path))
            break; // refused for another reason than a file taken meanwhile
    }
    QFile::remove(temporaryPath);
    return {};
}

} // namespace

QString ProtocolFileName(const QString &code)
{
    return code + QStringLiteral(".IM.txt");
}

QString RecoveredFileName(const QString &code, int n)
{
    return (n > 1 ? QStringLiteral("%1 (%2)").arg(code).arg(n) : code) + RecoveredSuffix;
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
    if (WriteWhole(target.resultDir, fileName, bytes, true))
        return {intended, {}};

    SaveOutcome outcome{{}, QStringLiteral("Cannot create file ") + QDir::toNativeSeparators(intended)};
    for (const QString &dir : target.fallbackDirs) {
        if (WriteWhole(dir, fileName, bytes, false)) {
            outcome.path = FullPath(dir, fileName);
            outcome.error += QStringLiteral("\nПротокол сохранён в файле ")
                + QDir::toNativeSeparators(outcome.path);
            return outcome;
        }
    }
    if (!target.fallbackDirs.isEmpty()) {
        QStringList dirs;
        for (const QString &dir : target.fallbackDirs)
            dirs << QDir::toNativeSeparators(QDir::cleanPath(QDir(dir).absolutePath()));
        outcome.error += QStringLiteral("\nСохранить протокол не удалось и в папках ")
            + dirs.join(QStringLiteral(", "));
    }
    return outcome;
}

QString SaveProtocol(const SaveTarget &target, const QString &code, const QStringList &lines)
{
    const SaveOutcome outcome = TrySaveProtocol(target, code, lines);
    if (!outcome.error.isEmpty())
        throw KavrError(outcome.error);
    return outcome.path;
}

QString SaveRecoveredProtocol(const SaveTarget &target, const QString &code,
                              const QStringList &lines)
{
    const QByteArray bytes = EncodeProtocol(lines);
    QString path = WriteNew(target.resultDir, code, bytes, true);
    for (qsizetype i = 0; path.isEmpty() && i < target.fallbackDirs.size(); ++i)
        path = WriteNew(target.fallbackDirs.at(i), code, bytes, false);
    if (path.isEmpty())
        throw KavrError(QStringLiteral("Cannot create file ")
                        + QDir::toNativeSeparators(FullPath(target.resultDir, RecoveredFileName(code))));
    return path;
}

SaveTarget DefaultSaveTarget(const QString &executableDir)
{
    return {executableDir + QStringLiteral("/Result"), {QDir::homePath(), QDir::tempPath()}};
}

} // namespace kavr
