#pragma once
// Every entry below a folder (hidden ones included, links not followed) with its kind, size
// and modification time, to tell afterwards what appeared or changed there.
#include <QHash>
#include <QString>
#include <QStringList>

namespace kavr::harness {

class TreeSnapshot final
{
public:
    TreeSnapshot() = default;
    // recursive false: the folder's own entries only.
    explicit TreeSnapshot(const QString &root, bool recursive = true);

    // Paths that are new or changed in later, relative to the root.
    QStringList changedIn(const TreeSnapshot &later) const;
    qsizetype size() const { return m_entries.size(); }

private:
    QString m_root;
    QHash<QString, QString> m_entries; // relative path -> kind, size, time
};

} // namespace kavr::harness
