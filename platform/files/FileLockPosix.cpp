#include "platform/files/FileLock.h"

#include "platform/files/LockContents.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

using namespace Qt::StringLiterals;

namespace kavr::platform {

namespace {

constexpr qint64 MaxLockBytes = 4096;
// A modification time further back than this is no time a file system kept: left alone.
constexpr qint64 MaxAgeMs = qint64(100) * 365 * 24 * 3600 * 1000;
// How far a workstation's clock may lag behind its file server's when it dates its lock by its
// own clock: well inside StaleAfterMs less a heartbeat.
constexpr qint64 MaxClockLagMs = 60'000;

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
// while the client caches writes, but a time set is sent to the server as it is. Only a file's
// owner may set a time of its choice; where the program is not the owner (a share that maps
// every file to one user), only "now" may be set, by any writer, and a network client sets it by
// the workstation's own clock: good only while that clock is not far behind the file system's,
// else others would take the lock for abandoned early.
bool Date(int fd, const QString &folder, QString *why = nullptr)
{
    const qint64 now = FolderNowMs(folder);
    const struct timespec given[2] = {{0, UTIME_OMIT}, {time_t(now / 1000), long(now % 1000) * 1'000'000}};
    if (now >= 0 && ::futimens(fd, given) == 0)
        return true;
    struct stat st = {};
    if (::futimens(fd, nullptr) != 0) {
        if (why)
            *why = SystemFileError(errno).reason;
        return false;
    }
    if (now < 0 || (::fstat(fd, &st) == 0 && MilliSeconds(st.st_mtim) >= now - MaxClockLagMs))
        return true;
    if (why)
        *why = QStringLiteral("часы этого компьютера отстают от часов сервера");
    return false;
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

// When process pid started, in clock ticks since the machine's start (field 22 of its stat);
// empty when it does not run or the system does not say.
QString ProcessStarted(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray stat = file.read(4096);
    const QList<QByteArray> fields = stat.sliced(stat.lastIndexOf(')') + 1).simplified().split(' ');
    return fields.size() > 19 ? QString::fromLatin1(fields.at(19)) : QString();
}

// Whether the process of this machine's that made a lock still runs: its id in use by a
// process that started when it did (an id is reused once its process is gone).
bool ProcessLives(const lock::Owner &owner)
{
    if (owner.pid <= 0 || owner.pid > std::numeric_limits<pid_t>::max()
        || (::kill(pid_t(owner.pid), 0) != 0 && errno != EPERM))
        return false;
    const QString started = ProcessStarted(owner.pid);
    return owner.started.isEmpty() || started.isEmpty() || started == owner.started;
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

// Makes fd this process's lock: held as the system keeps locks where it does, saying who holds it
// and whether it is held so, dated and durable. Empty when done, else why not.
QString Prepare(int fd, const QString &folder)
{
    lock::Owner owner{::getpid(), {}, BootId(), ProcessStarted(::getpid()), lock::Held::Yes};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (!NoLocksHere(errno))
            return SystemFileError(errno).reason;
        owner.held = lock::Held::No;
    }
    QString why = AppendToFile(fd, lock::Contents(owner)).reason;
    if (why.isEmpty() && Date(fd, folder, &why) && !SyncFile(fd))
        why = SystemFileError(errno).reason;
    return why;
}

} // namespace

std::unique_ptr<FileLock> FileLock::create(const QString &path, FileSharing sharing, FileError *error)
{
    const QString folder = QFileInfo(path).absolutePath();
    QString why;
    // Held, whole and dated before it has its name: an examiner never finds it otherwise.
    OwnedFile file = CreateHeldFile(
        path, sharing,
        [&folder, &why](int fd) {
            why = Prepare(fd, folder);
            return why.isEmpty();
        },
        error);
    if (!file) {
        if (error && error->code == FileError::Code::Other)
            error->reason = QStringLiteral("не удалось записать файл блокировки")
                + (why.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(why));
        return nullptr;
    }
    return std::unique_ptr<FileLock>(new FileLock(path, std::move(file)));
}

QString FileLock::problemIn(const QString &folder)
{
    ProbeFile probe = CreateProbeFile(folder, FileSharing::Folder);
    const QString why = probe.file ? Prepare(probe.file.get(), folder) : probe.error.reason;
    DiscardProbeFile(probe);
    return why;
}

bool FileLock::heartbeat()
{
    // Synced, so that the server has the date at once. A lock no longer under its name was taken
    // by another start for abandoned: dating it would say nothing to anyone.
    ++m_beats;
    return IdentityAt(m_path) == m_identity && Date(m_file.get(), QFileInfo(m_path).absolutePath())
        && SyncFile(m_file.get());
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
        claim.m_state = errno == ENOENT          ? Claim::State::Missing
            : errno == EBUSY || errno == ETXTBSY ? Claim::State::Held // held open, unshared
            : errno == EACCES || errno == EPERM  ? Claim::State::NoAccess // another's, closed
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
    claim.m_contents = bytes;
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

    if (!owner.boot.isEmpty() && owner.boot == BootId()
        && (owner.host.isEmpty() || owner.host == lock::ThisHost())) {
        // Made on this machine since its start. An owner that holds its lock as the system keeps
        // locks is gone once the lock is not held; one that could not (a file system that keeps
        // none, a failing lock manager) is gone once its process is.
        const bool gone = (owner.held != lock::Held::No && locksWork) || !ProcessLives(owner);
        claim.m_state = gone ? Claim::State::Abandoned : Claim::State::Held;
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
    // Probes (also under the doubled name earlier versions gave them on shares), earlier
    // versions' clock probes, and the temporary names of locks being made, claimed or given back:
    // exactly, capitals and all. No file made from a subject's code is named so.
    const QRegularExpression probe(u"^\\.?"_s + QRegularExpression::escape(ProbePrefix)
                                   + u"[0-9a-f]{8}\\.tmp(\\.[0-9a-f]{8}\\.tmp)?$"_s);
    const QRegularExpression clock(u"^\\.kavr-clock-[0-9]+-[0-9a-f]{8}$"_s);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    QStringList locks = TemporaryFilesOf(names, lockSuffix);
    // A lock left under a temporary name is moved once more as it is removed.
    for (const QString &name : TemporaryFilesOf(names, u".tmp"))
        if (!TemporaryFilesOf({FinalNameOf(name)}, lockSuffix).isEmpty())
            locks << name;
    QStringList leftovers = locks;
    for (const QString &name : names)
        if (probe.match(name).hasMatch() || clock.match(name).hasMatch())
            leftovers << name;
    const qint64 now = leftovers.isEmpty() ? -1 : FolderNowMs(folder); // one probe for them all
    int cleared = 0;
    for (const QString &name : std::as_const(leftovers)) {
        const QString path = dir.filePath(name);
        struct stat st {};
        if (::lstat(Native(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if ((Stale(st, now) && RemoveFile(path, {quint64(st.st_dev), quint64(st.st_ino), true}))
            || (locks.contains(name) && RemoveIfOwnerGoneHere(path)))
            ++cleared;
    }
    return cleared;
}

QStringList FileLock::staleTemporaries(const QString &folder, const QStringList &finalSuffixes)
{
    const QDir dir(folder);
    const QStringList all = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    QStringList names;
    for (const QString &suffix : finalSuffixes)
        names << TemporaryFilesOf(all, suffix);
    const qint64 now = names.isEmpty() ? -1 : FolderNowMs(folder); // one probe for them all
    QStringList stale;
    for (const QString &name : std::as_const(names)) {
        struct stat st = {};
        if (::lstat(Native(dir.filePath(name)).constData(), &st) == 0 && S_ISREG(st.st_mode)
            && Stale(st, now))
            stale << dir.filePath(name);
    }
    return stale;
}

} // namespace kavr::platform
