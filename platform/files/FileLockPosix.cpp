#include "platform/files/FileLock.h"

#include "platform/files/LockContents.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
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
// A modification time further back than this is no time a file system kept: left alone.
constexpr qint64 MaxAgeMs = qint64(100) * 365 * 24 * 3600 * 1000;

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

// Saturated: a time planted far out of range cannot overflow what is computed with it.
qint64 MilliSeconds(const struct timespec &time)
{
    constexpr qint64 limit = std::numeric_limits<qint64>::max() / 1000 - 1;
    return std::clamp<qint64>(time.tv_sec, -limit, limit) * 1000 + time.tv_nsec / 1'000'000;
}

// What time it is for the file system that holds folder: the modification time of a file made
// there now, and not written to (a client holding a write lease on a share would date a write
// by the workstation's clock). On a network share that is the server's clock, the same that
// dates the lock, so the workstations' own clocks never enter the comparison. Negative when
// nothing can be made.
qint64 FolderNowMs(const QString &folder)
{
    ProbeFile probe = CreateProbeFile(folder, FileSharing::Owner);
    struct stat st {};
    const bool dated = probe.file && ::fstat(probe.file.get(), &st) == 0;
    DiscardProbeFile(probe);
    return dated ? MilliSeconds(st.st_mtim) : -1;
}

// Dates the lock with the time of the file system that holds it, set explicitly: a share moves
// a file's write time only at the first write on a handle (SMB), or by the workstation's clock
// while the client caches writes, but a time set is sent to the server as it is.
bool Date(int fd, const QString &folder)
{
    const qint64 now = FolderNowMs(folder);
    const struct timespec given[2] = {{0, UTIME_OMIT}, {time_t(now / 1000), long(now % 1000) * 1'000'000}};
    const struct timespec current[2] = {{0, UTIME_OMIT}, {0, UTIME_NOW}};
    // A time of one's choice only the file's owner may set; any writer may set the current one.
    return (now >= 0 && ::futimens(fd, given) == 0) || ::futimens(fd, current) == 0;
}

// Errors of flock() that say the file system keeps no locks at all (NFS without its lock
// manager, some FUSE file systems): the owner's process id, machine and heartbeat tell of it
// instead. Any other error is a fault.
bool NoLocksHere(int error)
{
    return error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS || error == EINVAL;
}

// Dated StaleAfterMs or more before now, the time of the file system that holds it
// (FolderNowMs; negative when unknown). Times far out of range count as fresh: such a file is
// left alone.
bool Stale(const struct stat &st, qint64 now)
{
    const qint64 dated = MilliSeconds(st.st_mtim);
    return now >= 0 && dated > now - MaxAgeMs && now - dated > FileLock::StaleAfterMs;
}

bool ProcessLives(qint64 pid)
{
    return pid > 0 && pid <= std::numeric_limits<pid_t>::max()
        && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

// Removes a lock of this machine's left under a temporary name by an owner now gone: a kill
// between the rename that gives a lock back and the removal after it. Read before it is ever
// locked: a maker writes what it says only once it holds it, so one that says nothing yet is
// never disturbed (it goes once stale).
bool RemoveIfOwnerGoneHere(const QString &path)
{
    const FileRead read = ReadRegularFile(path, MaxLockBytes);
    if (read.error || BootId().isEmpty() || lock::Parse(read.bytes).boot != BootId())
        return false;
    FileLock::Claim claim = FileLock::examine(path);
    return claim.state() == FileLock::Claim::State::Abandoned && claim.remove();
}

} // namespace

std::unique_ptr<FileLock> FileLock::create(const QString &path, FileSharing sharing, FileError *error)
{
    const QString folder = QFileInfo(path).absolutePath();
    // Held, whole and dated before it has its name: an examiner never finds it otherwise.
    OwnedFile file = CreateHeldFile(path, sharing, [&folder](int fd) {
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && !NoLocksHere(errno))
            return false;
        const QByteArray contents = lock::Contents(::getpid(), BootId());
        return ::write(fd, contents.constData(), size_t(contents.size())) == contents.size()
            && Date(fd, folder) && SyncFile(fd);
    }, error);
    if (!file) {
        if (error && error->code == FileError::Code::Other)
            error->reason = QStringLiteral("не удалось записать файл блокировки");
        return nullptr;
    }
    return std::unique_ptr<FileLock>(new FileLock(path, std::move(file)));
}

bool FileLock::heartbeat()
{
    // Synced, so that the server has the date at once.
    ++m_beats;
    return Date(m_file.get(), QFileInfo(m_path).absolutePath()) && SyncFile(m_file.get());
}

void FileLock::examineOwner(Claim &claim)
{
    const QString &path = claim.m_path;
    // For writing where the file lets this user: NFS grants an exclusive lock only on a file open
    // for writing. Else a shared lock, which a live owner's exclusive one refuses as well.
    const int flags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int lockKind = LOCK_EX;
    // A file server refuses writing to a file its owner holds without sharing it (a Windows
    // workstation's lock): EBUSY.
    OwnedFile file(::open(Native(path).constData(), O_RDWR | flags));
    if (!file && (errno == EACCES || errno == EPERM || errno == EROFS || errno == EBUSY || errno == ETXTBSY)) {
        lockKind = LOCK_SH;
        file.reset(::open(Native(path).constData(), O_RDONLY | flags));
    }
    if (!file) {
        claim.m_state = errno == ENOENT                      ? Claim::State::Missing
            : errno == EBUSY || errno == ETXTBSY             ? Claim::State::Held     // held open, unshared
                                                             : Claim::State::NotALock; // swapped
        return;
    }
    const int fd = file.get();
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > MaxLockBytes)
        return; // not a lock of the program's
    claim.m_file = std::move(file);
    QByteArray bytes(int(MaxLockBytes), '\0');
    const ssize_t got = ::pread(fd, bytes.data(), size_t(bytes.size()), 0);
    bytes.truncate(got > 0 ? got : 0);
    const lock::Owner owner = lock::Parse(bytes);
    claim.m_host = owner.host;
    const int refused = ::flock(fd, lockKind | LOCK_NB) == 0 ? 0 : errno;
    if (refused == EWOULDBLOCK) {
        claim.m_state = Claim::State::Held;
        return;
    }
    const bool locksWork = refused == 0;
    if (!locksWork && !NoLocksHere(refused)) {
        claim.m_state = Claim::State::Undecided; // the lock cannot be asked: never taken for abandoned
        return;
    }

    if (!owner.boot.isEmpty() && owner.boot == BootId()) {
        // Made on this machine since its start: a live owner holds its lock, and where this
        // file system has no locks its process still runs.
        const bool alive = locksWork ? false : ProcessLives(owner.pid);
        claim.m_state = alive ? Claim::State::Held : Claim::State::Abandoned;
        return;
    }
    // Made elsewhere, or before this machine's last start: only a heartbeat long missed tells.
    // A lock dated ahead of the folder's clock cannot be told from a live one.
    claim.m_state = Stale(st, FolderNowMs(QFileInfo(path).absolutePath())) ? Claim::State::Abandoned
                                                                            : Claim::State::Undecided;
}

int FileLock::clearLeftovers(const QString &folder, QStringView lockSuffix)
{
    const QDir dir(folder);
    // Probes, probes of earlier versions, and the temporary names of locks being made or claimed.
    const QStringList patterns{ProbePrefix + u'*', QStringLiteral(".kavr-clock-*"),
                               QStringLiteral(".*%1.*.tmp").arg(lockSuffix)};
    const QStringList names = dir.entryList(patterns, QDir::Files | QDir::Hidden | QDir::System);
    const qint64 now = names.isEmpty() ? -1 : FolderNowMs(folder); // one probe for them all
    int cleared = 0;
    const QString lockTemporary = lockSuffix + u'.';
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        struct stat st {};
        if (::lstat(Native(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if ((Stale(st, now) && RemoveFile(path, {quint64(st.st_dev), quint64(st.st_ino), true}))
            || (name.contains(lockTemporary) && RemoveIfOwnerGoneHere(path)))
            ++cleared;
    }
    return cleared;
}

} // namespace kavr::platform
