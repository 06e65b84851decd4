#include "Unprivileged.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace kavr::test {

Unprivileged::Unprivileged(uid_t user, gid_t group)
{
    if (::geteuid() != 0)
        return;
    m_switched = ::setegid(group) == 0 && ::seteuid(user) == 0;
    if (!m_switched)
        ::setegid(0); // possible() said so before
}

Unprivileged::~Unprivileged()
{
    if (m_switched && (::seteuid(0) != 0 || ::setegid(0) != 0))
        qFatal("cannot become root again");
}

bool Unprivileged::possible(const QString &path)
{
    if (::geteuid() != 0)
        return true;
    if (::setegid(NoGroup) != 0 || ::seteuid(Nobody) != 0) {
        ::setegid(0);
        return false;
    }
    if (::seteuid(0) != 0 || ::setegid(0) != 0)
        qFatal("cannot become root again");
    for (QFileInfo info(path);; info = QFileInfo(info.absolutePath())) {
        struct stat st {};
        if (::stat(QFile::encodeName(info.absoluteFilePath()).constData(), &st) != 0
            || !(st.st_mode & S_IXOTH))
            return false;
        if (info.isRoot())
            return true;
    }
}

void Unprivileged::giveTo(const QString &path, uid_t user, gid_t group)
{
    if (::geteuid() == 0 && ::chown(QFile::encodeName(path).constData(), user, group) != 0)
        qWarning("chown %s failed", qPrintable(path));
}

} // namespace kavr::test
