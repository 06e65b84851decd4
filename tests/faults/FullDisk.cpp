#include "FullDisk.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace kavr::test {

FullDisk::FullDisk(const QString &dir) : m_dir(dir)
{
    const QByteArray path = QFile::encodeName(dir);
    m_mounted = ::mount("tmpfs", path.constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                        "size=16k,mode=0777") == 0;
    if (!m_mounted)
        m_error = QString::fromLocal8Bit(std::strerror(errno));
}

FullDisk::~FullDisk()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir).constData(), MNT_DETACH);
}

qint64 FullDisk::fill(const QString &fileName)
{
    const int fd = ::open(QFile::encodeName(QDir(m_dir).filePath(fileName)).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return -1;
    const QByteArray page(4096, 'f');
    qint64 size = 0;
    for (ssize_t written; (written = ::write(fd, page.constData(), size_t(page.size()))) > 0;)
        size += written;
    ::fsync(fd);
    ::close(fd);
    return size;
}

} // namespace kavr::test
