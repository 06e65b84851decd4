#include "platform/files/FileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <utility>

namespace kavr::platform {

namespace {

QByteArray Native(const QString &path)
{
    return QFile::encodeName(path);
}

FileKind KindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return FileKind::Regular;
    if (S_ISDIR(mode))
        return FileKind::Directory;
    if (S_ISLNK(mode))
        return FileKind::Link;
    return FileKind::Special;
}

FileError Error(FileError::Code code, const QString &reason)
{
    return {code, reason};
}

QString NotRegularReason(FileKind kind)
{
    switch (kind) {
    case FileKind::Link: return QStringLiteral("это символическая ссылка");
    case FileKind::Directory: return QStringLiteral("это папка");
    case FileKind::Special: return QStringLiteral("это не обычный файл (канал или устройство)");
    case FileKind::Missing: return QStringLiteral("файла нет");
    case FileKind::Regular: break;
    }
    return {};
}

FileError SystemError(int error)
{
    const QString text = QString::fromLocal8Bit(std::strerror(error));
    switch (error) {
    case EEXIST: return Error(FileError::Code::Exists, text);
    case ENOENT:
    case ENOTDIR: return Error(FileError::Code::NotFound, text);
    case EACCES:
    case EPERM: return Error(FileError::Code::NoPermission, QStringLiteral("нет прав на запись"));
    case EROFS: return Error(FileError::Code::NoPermission, QStringLiteral("диск только для чтения"));
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return Error(FileError::Code::NoSpace, QStringLiteral("на диске нет места"));
    case ELOOP: return Error(FileError::Code::NotRegular, NotRegularReason(FileKind::Link));
    case EBUSY:
    case ETXTBSY: return Error(FileError::Code::InUse, QStringLiteral("файл открыт другой программой"));
    default: return Error(FileError::Code::Other, text);
    }
}

// As SystemError, for a file being read: no permission is no permission to read it.
FileError ReadError(int error)
{
    return error == EACCES || error == EPERM ? Error(FileError::Code::NoPermission, QStringLiteral("нет прав на чтение"))
                                             : SystemError(error);
}

FileIdentity IdentityOf(const struct stat &st)
{
    return {quint64(st.st_dev), quint64(st.st_ino), true};
}

bool ReadOnlyOnPurpose(const struct stat &st)
{
    return S_ISREG(st.st_mode) && !(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH));
}

// A folder's new entries survive a power cut only once the folder itself is synced.
void SyncFolderOf(const QString &path)
{
    SyncFolder(QFileInfo(path).absolutePath());
}

mode_t ModeFor(FileSharing sharing)
{
    return sharing == FileSharing::Owner ? 0600 : 0666; // the umask takes its part of the latter
}

// In a folder its group may write, a new file is the group's to replace and recover: the
// folder's group whatever the user's own is (a folder without set-group-id does not hand it
// down), with read and write for it.
void ShareAsFolder(int fd, const QString &folder, FileSharing sharing)
{
    struct stat file {}, dir {};
    if (sharing != FileSharing::Folder || ::fstat(fd, &file) != 0
        || ::stat(Native(folder).constData(), &dir) != 0 || !(dir.st_mode & S_IWGRP))
        return;
    if (file.st_gid != dir.st_gid && ::fchown(fd, uid_t(-1), dir.st_gid) != 0) {
        // not a member of the folder's group: the file keeps the user's own
    }
    ::fchmod(fd, (file.st_mode & 07777) | S_IRGRP | S_IWGRP);
}

bool WriteAll(int fd, const QByteArray &bytes, int *error)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *error = n < 0 ? errno : ENOSPC;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

// This system gives a file made without a name (O_TMPFILE) its name through /proc.
bool CanNameUnnamed()
{
    static const bool can = ::access("/proc/self/fd", X_OK) == 0;
    return can;
}

QByteArray SelfPath(int fd)
{
    return "/proc/self/fd/" + QByteArray::number(fd);
}

// A new file beside path, open for writing: without a name where the file system allows (a
// kill then leaves nothing), else under a temporary name, set in temporary.
OwnedFile CreateUnnamed(const QString &path, FileSharing sharing, QString *temporary, FileError *error)
{
    const QString folder = QFileInfo(path).absolutePath();
    temporary->clear();
    OwnedFile file(CanNameUnnamed()
                       ? ::open(Native(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, ModeFor(sharing))
                       : -1);
    if (file) {
        ShareAsFolder(file.get(), folder, sharing);
        return file;
    }
    *temporary = QDir(folder).filePath(TemporaryFileName(QFileInfo(path).fileName()));
    return CreateNewFile(*temporary, sharing, error);
}

// Gives a file of CreateUnnamed's the name path where nothing has that name (Exists else), in
// one step; on success temporary is cleared.
FileError NameUnnamed(int fd, QString *temporary, const QString &path)
{
    if (!temporary->isEmpty()) {
        const FileError error = RenameFile(*temporary, path, Replace::Never);
        if (!error)
            temporary->clear();
        return error;
    }
    if (::linkat(AT_FDCWD, SelfPath(fd).constData(), AT_FDCWD, Native(path).constData(), AT_SYMLINK_FOLLOW) != 0)
        return SystemError(errno);
    return {};
}

} // namespace

bool SyncFile(int descriptor)
{
    return ::fsync(descriptor) == 0;
}

void SyncFolder(const QString &folder)
{
    const OwnedFile opened(::open(Native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (opened)
        ::fsync(opened.get());
}

FileState InspectFile(const QString &path)
{
    struct stat st {};
    if (::lstat(Native(path).constData(), &st) != 0)
        return {};
    return {KindOf(st.st_mode), qint64(st.st_size), ReadOnlyOnPurpose(st)};
}

FileRead ReadRegularFile(const QString &path, qint64 maxBytes)
{
    FileRead read;
    // A FIFO or a device is never opened: opening one may block, or act.
    const FileState state = InspectFile(path);
    if (state.kind != FileKind::Regular) {
        read.error = state.kind == FileKind::Missing
            ? Error(FileError::Code::NotFound, NotRegularReason(state.kind))
            : Error(FileError::Code::NotRegular, NotRegularReason(state.kind));
        return read;
    }
    const OwnedFile file(::open(Native(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file) {
        read.error = ReadError(errno);
        return read;
    }
    const int fd = file.get();
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) { // swapped since it was looked at
        read.error = Error(FileError::Code::NotRegular, NotRegularReason(KindOf(st.st_mode)));
    } else if (st.st_size > maxBytes) {
        read.error = Error(FileError::Code::TooLarge, QStringLiteral("файл слишком велик"));
    } else {
        read.identity = IdentityOf(st);
        read.bytes.resize(maxBytes + 1); // a file growing meanwhile is still read with a bound
        qsizetype got = 0;
        while (got < read.bytes.size()) {
            const ssize_t n = ::read(fd, read.bytes.data() + got, size_t(read.bytes.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                read.error = ReadError(errno);
                break;
            }
            if (n == 0)
                break;
            got += n;
        }
        read.bytes.truncate(got);
        if (!read.error && got > maxBytes)
            read.error = Error(FileError::Code::TooLarge, QStringLiteral("файл слишком велик"));
    }
    if (read.error)
        read.bytes.clear();
    return read;
}

OwnedFile CreateNewFile(const QString &path, FileSharing sharing, FileError *error)
{
    // O_EXCL never follows a link and never opens what exists.
    OwnedFile file(::open(Native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          ModeFor(sharing)));
    if (!file) {
        if (error)
            *error = SystemError(errno);
        return file;
    }
    ShareAsFolder(file.get(), QFileInfo(path).absolutePath(), sharing);
    if (error)
        *error = {};
    return file;
}

OwnedFile CreateHeldFile(const QString &path, FileSharing sharing, const std::function<bool(int)> &prepare,
                         FileError *error)
{
    const FileError unprepared = Error(FileError::Code::Other, QStringLiteral("не удалось записать файл"));
    QString temporary;
    FileError failure;
    OwnedFile file = CreateUnnamed(path, sharing, &temporary, &failure);
    if (file) {
        failure = prepare(file.get()) ? NameUnnamed(file.get(), &temporary, path) : unprepared;
        if (failure) {
            file.reset();
            if (!temporary.isEmpty())
                ::unlink(Native(temporary).constData());
        }
    }
    if (failure.code == FileError::Code::InUse) {
        // A share that renames no open file (one reached through libsmbclient): made at its name
        // and prepared at once, as the program always did there.
        file = CreateNewFile(path, sharing, &failure);
        if (file && !prepare(file.get())) {
            RemoveFile(path, IdentityOf(file.get()));
            file.reset();
            failure = unprepared;
        }
    }
    if (error)
        *error = failure;
    return failure ? OwnedFile() : std::move(file);
}

FileError SaveFile(const QString &path, const QByteArray &bytes, FileSharing sharing, Replace replace,
                   int inUseWaitMs)
{
    // Without a name until it is whole: a kill leaves nothing behind. Where the file system
    // cannot (network shares), under a temporary name.
    QString temporary;
    FileError error;
    OwnedFile file = CreateUnnamed(path, sharing, &temporary, &error);
    if (!file)
        return error;
    const int fd = file.get();
    int failure = 0;
    // Durable before it has its name: a power cut never leaves an empty protocol.
    if (!WriteAll(fd, bytes, &failure) || !SyncFile(fd)) {
        error = SystemError(failure ? failure : errno);
    } else if (temporary.isEmpty()) {
        // Its name at once where nothing has it yet (a kill then leaves nothing half named);
        // where something has, a temporary name first and a rename over it.
        error = NameUnnamed(fd, &temporary, path);
        if (!error) {
            SyncFolderOf(path);
        } else if (replace != Replace::Never && error.code == FileError::Code::Exists) {
            const QString linked = QDir(QFileInfo(path).absolutePath()).filePath(TemporaryFileName(QFileInfo(path).fileName()));
            error = NameUnnamed(fd, &temporary, linked);
            if (!error)
                temporary = linked;
        }
    }
    file.reset();
    if (!error && !temporary.isEmpty())
        error = RenameFile(temporary, path, replace, inUseWaitMs);
    if (error && !temporary.isEmpty())
        ::unlink(Native(temporary).constData());
    return error;
}

FileError RenameFile(const QString &from, const QString &to, Replace replace, int)
{
    const QByteArray source = Native(from), target = Native(to);
    if (replace == Replace::RegularFile) {
        struct stat st {};
        if (::lstat(target.constData(), &st) == 0) {
            if (!S_ISREG(st.st_mode))
                return Error(FileError::Code::NotRegular, NotRegularReason(KindOf(st.st_mode)));
            if (ReadOnlyOnPurpose(st))
                return Error(FileError::Code::ReadOnly, QStringLiteral("файл защищён от записи"));
        }
        // rename() replaces the name itself: should a link take the name meanwhile, the link
        // goes, never the file it points to.
        if (::rename(source.constData(), target.constData()) != 0)
            return SystemError(errno);
    } else {
        int done = ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE);
        if (done != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // No such rename on this file system: a second name that never replaces, then the
            // first name goes.
            done = ::link(source.constData(), target.constData());
            if (done == 0)
                ::unlink(source.constData());
            else if (errno == EPERM || errno == EOPNOTSUPP) {
                // Nor hard links (some network shares): look, then rename.
                struct stat st {};
                if (::lstat(target.constData(), &st) == 0)
                    return SystemError(EEXIST);
                done = ::rename(source.constData(), target.constData());
            }
        }
        if (done != 0)
            return SystemError(errno);
    }
    SyncFolderOf(to);
    return {};
}

bool RemoveFile(const QString &path, const FileIdentity &identity)
{
    struct stat st {};
    const QByteArray native = Native(path);
    if (!identity.valid || ::lstat(native.constData(), &st) != 0 || IdentityOf(st) != identity)
        return false;
    return ::unlink(native.constData()) == 0;
}

FileIdentity IdentityOf(int descriptor)
{
    struct stat st {};
    return ::fstat(descriptor, &st) == 0 ? IdentityOf(st) : FileIdentity{};
}

FileIdentity IdentityAt(const QString &path)
{
    struct stat st = {};
    return ::lstat(Native(path).constData(), &st) == 0 ? IdentityOf(st) : FileIdentity{};
}

FileError SystemFileError(int error)
{
    return SystemError(error);
}

FileError AppendToFile(int descriptor, const QByteArray &bytes)
{
    int failure = 0;
    return WriteAll(descriptor, bytes, &failure) ? FileError{} : SystemError(failure);
}

namespace {

// Removes the file identity names from the temporary name another process has just moved it to
// (TemporaryFileName of path's name), about to give it back; false when it stands under none.
bool RemoveFromClaim(const QString &path, const FileIdentity &identity)
{
    const QFileInfo file(path);
    const QString prefix = u'.' + file.fileName() + u'.';
    const QDir folder(file.absolutePath());
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (name.startsWith(prefix) && name.endsWith(QStringLiteral(".tmp"))
            && RemoveFile(folder.filePath(name), identity))
            return true;
    }
    return false;
}

} // namespace

FileError RemoveOpenFile(int descriptor, const QString &path, const QByteArray &contents)
{
    const FileError gone = Error(FileError::Code::NotFound, NotRegularReason(FileKind::Missing));
    const FileIdentity mine = IdentityOf(descriptor);
    struct stat st {};
    if (!mine.valid)
        return gone;
    if (::lstat(Native(path).constData(), &st) != 0 || IdentityOf(st) != mine)
        return RemoveFromClaim(path, mine) ? FileError{} : gone;
    // Between a look and an unlink() another may put a file of its own under the name (a
    // workstation that took the same abandoned lock first, on a share that keeps no locks). A
    // rename to a name of this process's own is a step only one can win; what it moved is then
    // removed only if it is the file meant, else it goes back (and should its owner want it
    // gone meanwhile, the owner finds it under that name: RemoveFromClaim).
    const QString claimed = QDir(QFileInfo(path).absolutePath()).filePath(TemporaryFileName(QFileInfo(path).fileName()));
    if (::rename(Native(path).constData(), Native(claimed).constData()) != 0)
        return errno != ENOENT ? SystemError(errno) : RemoveFromClaim(path, mine) ? FileError{} : gone;
    if (::lstat(Native(claimed).constData(), &st) == 0 && IdentityOf(st) == mine
        && (contents.isEmpty() || ReadRegularFile(claimed, contents.size()).bytes == contents)) {
        ::unlink(Native(claimed).constData());
        return {};
    }
    // Back under its name. A start that found the name free meanwhile makes a lock of its own
    // there, finds this claim and lets go within a moment (JournalRecovery): the name is tried
    // again for a second; should it stay taken, the name is another's already.
    for (int tries = 0;
         RenameFile(claimed, path, Replace::Never).code == FileError::Code::Exists && tries < 100;
         ++tries)
        ::usleep(10'000);
    return RemoveFromClaim(path, mine) ? FileError{} : gone;
}

ProbeFile CreateProbeFile(const QString &folder, FileSharing sharing)
{
    ProbeFile probe;
    const QString named = QDir(folder).filePath(ProbeFileName());
    probe.file = OwnedFile(
        CanNameUnnamed()
            ? ::open(Native(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, ModeFor(sharing))
            : -1);
    if (probe.file) {
        ShareAsFolder(probe.file.get(), folder, sharing);
    } else {
        // Where nothing is made without a name (network shares), under the probe's own name,
        // which the leftover sweep knows: never a temporary name of that name.
        probe.file = CreateNewFile(named, sharing, &probe.error);
        if (probe.file)
            probe.path = named;
    }
    return probe;
}

void DiscardProbeFile(ProbeFile &probe)
{
    probe.file.reset();
    if (!probe.path.isEmpty())
        ::unlink(Native(std::exchange(probe.path, QString())).constData());
}

bool FolderSurvivesRestart(const QString &folder)
{
    constexpr unsigned long Tmpfs = 0x01021994, Ramfs = 0x858458f6; // linux/magic.h
    struct statfs fs = {};
    if (::statfs(Native(folder).constData(), &fs) == 0
        && (static_cast<unsigned long>(fs.f_type) == Tmpfs
            || static_cast<unsigned long>(fs.f_type) == Ramfs))
        return false;
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    const QString resolved = canonical.isEmpty()
        ? QDir::cleanPath(QFileInfo(folder).absoluteFilePath())
        : canonical;
    return resolved != u"/tmp" && !resolved.startsWith(u"/tmp/");
}

QString PrivateTempFolder()
{
    const QString temporary = QDir::tempPath(); // empty where TMPDIR names no folder
    return (!temporary.isEmpty() && FolderSurvivesRestart(temporary) ? temporary
                                                                     : QStringLiteral("/var/tmp"))
        + QStringLiteral("/kavr-im-%1").arg(::geteuid());
}

bool UsablePrivateFolder(const QString &path, bool create)
{
    const QByteArray native = Native(path);
    if (create && ::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    // Someone else's folder, or a link planted under the name, is never used.
    if (::lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    if ((st.st_mode & 077) != 0 && ::chmod(native.constData(), 0700) != 0)
        return false;
    return true;
}

} // namespace kavr::platform
