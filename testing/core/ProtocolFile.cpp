#include "testing/core/ProtocolFile.h"

#include "testing/core/CodePage.h"
#include "error/KavrError.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace kavr {

namespace {

QString FullPath(const QString &dirPath, const QString &fileName)
{
    return QDir::cleanPath(QFileInfo(QDir(dirPath), fileName).absoluteFilePath());
}

// Writes the whole file or leaves the folder as it was. No direct-write fallback: it could
// leave half a protocol behind.
bool WriteWhole(const QString &dirPath, const QString &fileName, const QByteArray &bytes,
                bool createDir)
{
    // A separator would put the file into another folder than the one meant.
    if (dirPath.isEmpty() || fileName.contains(u'/') || fileName.contains(u'\\'))
        return false;
    if (createDir ? !QDir().mkpath(dirPath) : !QFileInfo(dirPath).isDir())
        return false;
    QSaveFile file(FullPath(dirPath, fileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    // commit() renames even after a short write or a failed flush (Qt 6.4), which would
    // replace the earlier file with a cut one: check every step first.
    if (file.write(bytes) != bytes.size() || !file.flush()
        || file.error() != QFileDevice::NoError) {
        file.cancelWriting(); // the temporary file goes with the object
        return false;
    }
    return file.commit();
}

} // namespace

QString ProtocolFileName(const QString &code)
{
    return code + QStringLiteral(".IM.txt");
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

QString SaveProtocol(const SaveTarget &target, const QString &code, const QStringList &lines)
{
    const QByteArray bytes = EncodeProtocol(lines);
    const QString fileName = ProtocolFileName(code);
    const QString intended = FullPath(target.resultDir, fileName);
    if (WriteWhole(target.resultDir, fileName, bytes, true))
        return intended;

    QString message = QStringLiteral("Cannot create file ") + QDir::toNativeSeparators(intended);
    for (const QString &dir : target.fallbackDirs) {
        if (WriteWhole(dir, fileName, bytes, false)) {
            message += QStringLiteral("\nПротокол сохранён в файле ")
                + QDir::toNativeSeparators(FullPath(dir, fileName));
            throw KavrError(message);
        }
    }
    if (!target.fallbackDirs.isEmpty()) {
        QStringList dirs;
        for (const QString &dir : target.fallbackDirs)
            dirs << QDir::toNativeSeparators(QDir::cleanPath(QDir(dir).absolutePath()));
        message += QStringLiteral("\nСохранить протокол не удалось и в папках ")
            + dirs.join(QStringLiteral(", "));
    }
    throw KavrError(message);
}

SaveTarget DefaultSaveTarget(const QString &executableDir)
{
    return {executableDir + QStringLiteral("/Result"), {QDir::homePath(), QDir::tempPath()}};
}

} // namespace kavr
