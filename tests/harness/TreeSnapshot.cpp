#include "harness/TreeSnapshot.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace kavr::harness {

TreeSnapshot::TreeSnapshot(const QString &root, bool recursive) : m_root(QDir(root).absolutePath())
{
    QDirIterator it(m_root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    const QDir base(m_root);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString kind = info.isSymLink() ? QStringLiteral("link")
                           : info.isDir()     ? QStringLiteral("dir")
                           : info.isFile()    ? QStringLiteral("file")
                                              : QStringLiteral("other");
        // A folder's time changes with its entries, which are listed themselves.
        const QString stamp = info.isDir() ? QString()
            : QString::number(info.size()) + QLatin1Char(' ')
                + QString::number(info.lastModified().toMSecsSinceEpoch());
        m_entries.insert(base.relativeFilePath(info.filePath()), kind + QLatin1Char(' ') + stamp);
    }
}

QStringList TreeSnapshot::changedIn(const TreeSnapshot &later) const
{
    QStringList changed;
    for (auto it = later.m_entries.cbegin(); it != later.m_entries.cend(); ++it)
        if (m_entries.value(it.key()) != it.value())
            changed << it.key();
    changed.sort();
    return changed;
}

} // namespace kavr::harness
