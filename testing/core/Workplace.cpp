#include "testing/core/Workplace.h"

#include "platform/files/FileLock.h"

#include <QDir>
#include <QFileInfo>

namespace kavr {

namespace {

QString Resolved(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return QDir::cleanPath(canonical.isEmpty() ? QFileInfo(path).absoluteFilePath() : canonical);
}

} // namespace

bool InsideFolder(const QString &path, const QString &folder)
{
    const QString inner = Resolved(path), outer = Resolved(folder);
    // Names are the same in either case where the folder is found under its name in capitals
    // too (Windows).
    const Qt::CaseSensitivity cs = outer != outer.toUpper() && QFileInfo(outer.toUpper()).isDir()
        ? Qt::CaseInsensitive : Qt::CaseSensitive;
    return inner.compare(outer, cs) == 0
        || (inner.startsWith(outer, cs) && (outer.endsWith(u'/') || inner.at(outer.size()) == u'/'));
}

QStringList WorkplaceCheck::lines() const
{
    QStringList shown;
    if (runsFromTemporaryFolder)
        shown << QStringLiteral("Программа запущена из временной папки (похоже, прямо из архива), и протоколы "
                                "пропадут вместе с ней. Распакуйте архив в постоянную папку и запустите программу "
                                "оттуда.");
    if (resultProblem.isEmpty() && !lockProblem.isEmpty())
        shown << QStringLiteral("В папке Result нельзя сделать файл блокировки журнала теста (%1): "
                                "журналы будут "
                                "вестись в другой папке, и прерванный тест не сможет восстановить "
                                "другое рабочее "
                                "место.")
                     .arg(lockProblem);
    if (!resultProblem.isEmpty())
        shown << QStringLiteral("В папку Result нельзя записать файл (%1): ").arg(resultProblem)
                + (fallback.isEmpty() ? QStringLiteral("протокол некуда сохранить.")
                                      : QStringLiteral("протокол будет сохранён в папке %1.")
                                            .arg(QDir::toNativeSeparators(fallback)));
    return shown;
}

WorkplaceCheck CheckWorkplace(const SaveTarget &target, const QString &programDir, const QString &temporaryDir)
{
    WorkplaceCheck check;
    // A temporary folder set to the root, or one that holds the home folder, tells nothing.
    const bool telling = !QFileInfo(temporaryDir).isRoot() && !InsideFolder(QDir::homePath(), temporaryDir);
    check.runsFromTemporaryFolder = telling && InsideFolder(programDir, temporaryDir);
    // A Result made for the probe goes again: the save makes it when a protocol is due.
    const bool resultThere = QFileInfo(target.resultDir).isDir();
    check.resultProblem = SaveFolderProblem(target, target.resultDir);
    if (check.resultProblem.isEmpty())
        check.lockProblem = platform::FileLock::problemIn(target.resultDir);
    if (!resultThere)
        QDir().rmdir(target.resultDir);
    if (check.resultProblem.isEmpty())
        return check;
    QStringList others = target.folders();
    others.removeFirst();
    for (const QString &dir : std::as_const(others)) {
        if (SaveFolderProblem(target, dir).isEmpty()) {
            check.fallback = QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
            break;
        }
    }
    return check;
}

QString ScreenProblem(QSize client, QSize available, QSize frame, qreal scale)
{
    const QSize area = available - frame;
    if (area.width() >= client.width() && area.height() >= client.height())
        return {};
    const auto pixels = [scale](QSize size) {
        return QStringLiteral("%1×%2").arg(qRound(size.width() * scale)).arg(qRound(size.height() * scale));
    };
    if (qFuzzyCompare(scale, 1.0))
        return QStringLiteral("Окно теста не помещается на экране: нужна рабочая область не менее %1 точек, а есть "
                              "%2. Выберите большее разрешение экрана.")
            .arg(pixels(client), pixels(area));
    return QStringLiteral("Окно теста не помещается на экране при масштабе %1 %: нужна рабочая область не менее "
                          "%2 точек (%3 при масштабе 100 %), а есть %4. Уменьшите масштаб или выберите большее "
                          "разрешение экрана.")
        .arg(qRound(scale * 100))
        .arg(pixels(client), QStringLiteral("%1×%2").arg(client.width()).arg(client.height()), pixels(area));
}

} // namespace kavr
