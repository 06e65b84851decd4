#include "platform/FileLock.h"

#include "platform/LockContents.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kavr::platform {

namespace {

constexpr qint64 MaxLockBytes = 4096;

QByteArray Native(const QString &path)
{
    return QFile::encodeName(path);
}

// This machine since its last start: a lock that names it was made here, where flock() is
// always seen.
QString BootId()
{
    static const QString id = [] {
        QFile file(QStringLiteral("/proc/sys/kernel/random/boot_id"));
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().trimmed()) : QString();
    }();
    return id;
}

qint64 MilliSeconds(const struct timespec &time)
{
    return qint64(time.tv_sec) * 1000 + time.tv_nsec / 1'000'000;
}

// What time it is for the file system that holds folder: the modification time of a file made
// there now. On a network share that is the server's clock, the same that dates the lock, so
// the workstations' own clocks never enter the comparison. Negative when nothing can be made.
qint64 FolderNowMs(const QString &folder)
{
    const QString probe = QDir(folder).filePath(
        QStringLiteral(".kavr-clock-%1-%2").arg(::getpid()).arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
    const int fd = CreateNewFile(probe, FileSharing::Owner, nullptr);
    if (fd < 0)
        return -1;
    struct stat st {};
    const bool dated = ::write(fd, "", 1) == 1 && ::fstat(fd, &st) == 0;
    ::close(fd);
    ::unlink(Native(probe).constData());
    return dated ? MilliSeconds(st.st_mtim) : -1;
}

bool ProcessLives(qint64 pid)
{
    return pid > 0 && pid <= std::numeric_limits<pid_t>::max()
        && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

} // namespace

std::unique_ptr<FileLock> FileLock::create(const QString &path, FileSharing sharing, FileError *error)
{
    const int fd = CreateHeldFile(path, sharing, error);
    if (fd < 0)
        return nullptr;
    // Where the file system has no locks, the process id and the boot's id still tell others
    // on this machine.
    ::flock(fd, LOCK_EX | LOCK_NB);
    std::unique_ptr<FileLock> lock(new FileLock(path, fd));
    const QByteArray contents = lock::Contents(::getpid(), BootId());
    if (::write(fd, contents.constData(), size_t(contents.size())) != contents.size() || ::fdatasync(fd) != 0) {
        if (error)
            *error = {FileError::Code::Other, QStringLiteral("не удалось записать файл блокировки")};
        return nullptr; // the destructor removes what was made
    }
    return lock;
}

bool FileLock::heartbeat()
{
    // A write dates the file by the file system's clock, also on a network share; synced, so
    // that the server sees it at once.
    const QByteArray contents = lock::Contents(::getpid(), BootId());
    ++m_beats;
    return ::pwrite(m_descriptor, contents.constData(), size_t(contents.size()), 0) == contents.size()
        && ::fdatasync(m_descriptor) == 0;
}

void FileLock::examineOwner(Claim &claim)
{
    const QString &path = claim.m_path;
    const int fd = ::open(Native(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        claim.m_state = errno == ENOENT ? Claim::State::Missing : Claim::State::NotALock; // gone, or swapped
        return;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > MaxLockBytes) {
        ::close(fd);
        return; // not a lock of the program's
    }
    claim.m_descriptor = fd;
    const bool locksWork = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (!locksWork && errno == EWOULDBLOCK) {
        claim.m_state = Claim::State::Held;
        return;
    }
    QByteArray bytes(int(MaxLockBytes), '\0');
    const ssize_t got = ::pread(fd, bytes.data(), size_t(bytes.size()), 0);
    bytes.truncate(got > 0 ? got : 0);
    const lock::Owner owner = lock::Parse(bytes);
    claim.m_host = owner.host;

    if (!owner.boot.isEmpty() && owner.boot == BootId()) {
        // Made on this machine since its start: a live owner holds its lock, and where this
        // file system has no locks its process still runs.
        const bool alive = locksWork ? false : ProcessLives(owner.pid);
        claim.m_state = alive ? Claim::State::Held : Claim::State::Abandoned;
        return;
    }
    // Made elsewhere, or before this machine's last start: only a heartbeat long missed tells.
    // A lock dated ahead of the folder's clock cannot be told from a live one.
    const qint64 now = FolderNowMs(QFileInfo(path).absolutePath());
    const bool stale = now >= 0 && now - MilliSeconds(st.st_mtim) > StaleAfterMs;
    claim.m_state = stale ? Claim::State::Abandoned : Claim::State::Undecided;
}

} // namespace kavr::platform
