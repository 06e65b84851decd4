#include "platform/files/FileAccess.h"

#include "platform/files/Win32Files.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <aclapi.h>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <optional>
#include <sddl.h>
#include <utility>
#include <vector>

namespace kavr::platform {

namespace {

using win32::Handle;
using win32::WidePath;

using win32::KindOf;
using win32::KindOfOpen;

QString NotRegularReason(FileKind kind)
{
    switch (kind) {
    case FileKind::Link: return QStringLiteral("это символическая ссылка или точка соединения");
    case FileKind::Directory: return QStringLiteral("это папка");
    case FileKind::Special: return QStringLiteral("это не обычный файл");
    case FileKind::Missing: return QStringLiteral("файла нет");
    case FileKind::Regular: break;
    }
    return {};
}

FileError Error(FileError::Code code, const QString &reason)
{
    return {code, reason};
}

FileError SystemError(DWORD error)
{
    switch (error) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return Error(FileError::Code::Exists, QStringLiteral("файл уже есть"));
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return Error(FileError::Code::NotFound, QStringLiteral("папки или файла нет"));
    case ERROR_ACCESS_DENIED: return Error(FileError::Code::NoPermission, QStringLiteral("нет прав на запись"));
    case ERROR_WRITE_PROTECT: return Error(FileError::Code::NoPermission, QStringLiteral("диск защищён от записи"));
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return Error(FileError::Code::NoSpace, QStringLiteral("на диске нет места"));
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return Error(FileError::Code::InUse, QStringLiteral("файл открыт другой программой"));
    default: return Error(FileError::Code::Other, win32::SystemMessage(error));
    }
}

// As SystemError, for a file being read: no permission is no permission to read it.
FileError ReadError(DWORD error)
{
    return error == ERROR_ACCESS_DENIED ? Error(FileError::Code::NoPermission, QStringLiteral("нет прав на чтение"))
                                        : SystemError(error);
}

FileIdentity IdentityOf(HANDLE handle, BY_HANDLE_FILE_INFORMATION *info = nullptr)
{
    BY_HANDLE_FILE_INFORMATION own {};
    BY_HANDLE_FILE_INFORMATION &data = info ? *info : own;
    if (!GetFileInformationByHandle(handle, &data))
        return {};
    return {data.dwVolumeSerialNumber, (quint64(data.nFileIndexHigh) << 32) | data.nFileIndexLow, true};
}

bool MarkForDeletion(HANDLE handle)
{
    FILE_DISPOSITION_INFO disposition {};
    disposition.DeleteFile = TRUE;
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

// As MarkForDeletion, also for a file marked read-only (a lab that protects Result\*, or a Result
// restored from read-only media, marks a leftover lock and journal too): once the program has
// claimed such a file, the attribute goes first. The handle needs FILE_WRITE_ATTRIBUTES.
bool MarkClaimedForDeletion(HANDLE handle)
{
    if (MarkForDeletion(handle))
        return true;
    if (GetLastError() != ERROR_ACCESS_DENIED)
        return false;
    FILE_BASIC_INFO basic {};
    if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic)
        || !(basic.FileAttributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    FILE_BASIC_INFO writable {}; // times of 0 stay as they are
    writable.FileAttributes = basic.FileAttributes & ~DWORD(FILE_ATTRIBUTE_READONLY);
    if (writable.FileAttributes == 0)
        writable.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(handle, FileBasicInfo, &writable, sizeof writable) && MarkForDeletion(handle);
}

// Open in another program, when a rename over it was refused with "access denied": one that
// lets no one remove it (a spreadsheet, an editor, a scan) refuses this open too; one that lets
// others remove it (a reader: the results report, another start, a backup or sync client) does
// not, yet NTFS renames nothing over a file with open handles. A file this user may not remove
// refuses the open with "access denied": no program of anyone's to wait for.
bool OpenByAnother(const std::wstring &path)
{
    const Handle probe(CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return probe || GetLastError() == ERROR_SHARING_VIOLATION;
}

// Renames source over target with POSIX semantics (Windows 10 1709 and later, NTFS): a target
// that readers hold open, sharing its removal, is replaced all the same, and they go on reading
// the old file. False, the error set, where the system or the file system (a share) has no such
// rename.
bool ReplaceAsPosix(const std::wstring &source, const std::wstring &target)
{
    const Handle file(CreateFileW(source.c_str(), DELETE | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file)
        return false;
    const DWORD nameBytes = DWORD(target.size() * sizeof(wchar_t));
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto *info = reinterpret_cast<FILE_RENAME_INFO *>(buffer.data());
    // The flags share the first field with ReplaceIfExists, which older headers declare alone.
    const DWORD flags = 0x1 | 0x2; // FILE_RENAME_FLAG_REPLACE_IF_EXISTS, FILE_RENAME_FLAG_POSIX_SEMANTICS
    static_assert(offsetof(FILE_RENAME_INFO, RootDirectory) >= sizeof flags);
    std::memcpy(buffer.data(), &flags, sizeof flags);
    info->RootDirectory = nullptr;
    info->FileNameLength = nameBytes;
    std::memcpy(info->FileName, target.c_str(), nameBytes + sizeof(wchar_t));
    // FileRenameInfoEx, which the headers name only for newer targets.
    constexpr auto RenameInfoEx = FILE_INFO_BY_HANDLE_CLASS(22);
    if (!SetFileInformationByHandle(file.get(), RenameInfoEx, info, DWORD(buffer.size())))
        return false;
    FlushFileBuffers(file.get()); // as MOVEFILE_WRITE_THROUGH: the new name is on the disk
    return true;
}

} // namespace

FileState InspectFile(const QString &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data {};
    if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data))
        return {};
    DWORD tag = 0;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // The tag says whether it leads elsewhere; the name's own entry, nothing opened.
        WIN32_FIND_DATAW found {};
        const HANDLE search = FindFirstFileExW(WidePath(path).c_str(), FindExInfoBasic, &found,
                                               FindExSearchNameMatch, nullptr, 0);
        if (search != INVALID_HANDLE_VALUE) {
            FindClose(search);
            tag = found.dwReserved0;
        } else {
            tag = IO_REPARSE_TAG_SYMLINK; // unknown: taken for a link, never followed
        }
    }
    const FileKind kind = KindOf(data.dwFileAttributes, tag);
    return {kind, qint64((quint64(data.nFileSizeHigh) << 32) | data.nFileSizeLow),
            kind == FileKind::Regular && (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY)};
}

FileRead ReadRegularFile(const QString &path, qint64 maxBytes)
{
    FileRead read;
    const FileState state = InspectFile(path);
    if (state.kind != FileKind::Regular) {
        read.error = Error(state.kind == FileKind::Missing ? FileError::Code::NotFound : FileError::Code::NotRegular,
                           NotRegularReason(state.kind));
        return read;
    }
    const Handle file(CreateFileW(WidePath(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) {
        read.error = ReadError(GetLastError());
        return read;
    }
    BY_HANDLE_FILE_INFORMATION info {};
    const FileIdentity identity = IdentityOf(file.get(), &info);
    const qint64 size = qint64((quint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    const FileKind kind = KindOfOpen(file.get());
    if (!identity.valid || kind != FileKind::Regular) {
        read.error = Error(FileError::Code::NotRegular, NotRegularReason(kind));
        return read;
    }
    // A cloud, deduplicated or compressed file: its data comes through its file system's filter,
    // so it is read as opened without the flag, and only while it is the same file.
    std::optional<Handle> filtered;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        filtered.emplace(CreateFileW(WidePath(path).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
        if (!*filtered || IdentityOf(filtered->get()) != identity) {
            read.error = *filtered ? Error(FileError::Code::NotRegular, NotRegularReason(FileKind::Link))
                                   : ReadError(GetLastError());
            return read;
        }
    }
    const HANDLE source = filtered ? filtered->get() : file.get();
    if (size > maxBytes) {
        read.error = Error(FileError::Code::TooLarge, QStringLiteral("файл слишком велик"));
        return read;
    }
    read.bytes.resize(maxBytes + 1);
    qsizetype got = 0;
    while (got < read.bytes.size()) {
        DWORD n = 0;
        const DWORD want = DWORD(std::min<qsizetype>(read.bytes.size() - got, 1 << 20));
        if (!ReadFile(source, read.bytes.data() + got, want, &n, nullptr)) {
            read.error = ReadError(GetLastError());
            break;
        }
        if (n == 0)
            break;
        got += n;
    }
    read.bytes.truncate(got);
    if (!read.error && got > maxBytes)
        read.error = Error(FileError::Code::TooLarge, QStringLiteral("файл слишком велик"));
    if (read.error)
        read.bytes.clear();
    else
        read.identity = identity;
    return read;
}

namespace {

// How often a name pending removal is tried again, 20 ms apart.
constexpr int DeletePendingTries = 10;

// The folder's permissions are handed down to the file.
OwnedFile CreateWith(const QString &path, DWORD access, DWORD share, FileError *error)
{
    const std::wstring name = WidePath(path);
    HANDLE handle = CreateFileW(name.c_str(), access, share, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    // A name whose file is being removed while someone still has it open (another start's look,
    // a backup) answers "access denied", as its attributes do: it is taken for a moment, not
    // forbidden. Tried again briefly, then said to be taken, so that a journal takes the next
    // name in Result rather than leaving Result for the home folder.
    for (int tries = 0; handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED; ++tries) {
        if (GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES || GetLastError() != ERROR_ACCESS_DENIED) {
            SetLastError(ERROR_ACCESS_DENIED);
            break; // forbidden indeed
        }
        if (tries == DeletePendingTries) {
            SetLastError(ERROR_FILE_EXISTS);
            break;
        }
        QThread::msleep(20);
        handle = CreateFileW(name.c_str(), access, share, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (handle == INVALID_HANDLE_VALUE) {
        if (error)
            *error = SystemError(GetLastError());
        return {};
    }
    OwnedFile file(_open_osfhandle(intptr_t(handle), _O_WRONLY | _O_BINARY));
    if (!file) {
        CloseHandle(handle);
        DeleteFileW(WidePath(path).c_str());
        if (error)
            *error = Error(FileError::Code::Other, QStringLiteral("слишком много открытых файлов"));
        return file;
    }
    if (error)
        *error = {};
    return file;
}

// Writes bytes as a new file, whole and durable, or leaves nothing behind.
FileError WriteNewFile(const QString &path, const QByteArray &bytes, FileSharing)
{
    FileError error;
    // Its own handle may remove it should the write fail; nobody else may meanwhile.
    OwnedFile file = CreateWith(path, GENERIC_WRITE | DELETE, FILE_SHARE_READ, &error);
    if (!file)
        return error;
    const HANDLE handle = HANDLE(_get_osfhandle(file.get()));
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    DWORD failure = ERROR_SUCCESS;
    while (left > 0 && failure == ERROR_SUCCESS) {
        DWORD n = 0;
        if (!WriteFile(handle, data, DWORD(std::min<qsizetype>(left, 1 << 20)), &n, nullptr) || n == 0)
            failure = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_DISK_FULL;
        data += n;
        left -= n;
    }
    // Durable before it is given its name: a power cut never leaves an empty protocol.
    if (failure == ERROR_SUCCESS && !FlushFileBuffers(handle))
        failure = GetLastError();
    if (failure != ERROR_SUCCESS)
        MarkForDeletion(handle);
    file.reset();
    return failure == ERROR_SUCCESS ? FileError{} : SystemError(failure);
}

} // namespace

OwnedFile CreateNewFile(const QString &path, FileSharing, FileError *error)
{
    // Others may read it (and remove it by its name, which only its own program does while
    // it is open); a reader that asks for less than that, as Qt's QFile does, still gets it.
    // Shared for writing too, so that the journal is flushed through a handle of its own
    // (SyncFile) and its writes never wait for a flush.
    return CreateWith(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, error);
}

OwnedFile CreateHeldFile(const QString &path, FileSharing, const std::function<bool(int)> &prepare,
                         FileError *error)
{
    // Its owner alone may remove it while it is open: whether it can be removed tells whether
    // its program lives, on a file server too. Held from the moment it exists, so that what it
    // holds may follow.
    OwnedFile file = CreateWith(path, GENERIC_WRITE | DELETE, FILE_SHARE_READ, error);
    if (!file || prepare(file.get()))
        return file;
    MarkForDeletion(HANDLE(_get_osfhandle(file.get())));
    file.reset();
    if (error)
        *error = Error(FileError::Code::Other, QStringLiteral("не удалось записать файл"));
    return file;
}

FileError SaveFile(const QString &path, const QByteArray &bytes, FileSharing sharing, Replace replace,
                   int inUseWaitMs)
{
    const QString temporary = QFileInfo(path).dir().filePath(TemporaryFileName(QFileInfo(path).fileName()));
    FileError error = WriteNewFile(temporary, bytes, sharing);
    if (!error) {
        error = RenameFile(temporary, path, replace, inUseWaitMs);
        if (error)
            DeleteFileW(WidePath(temporary).c_str());
    }
    return error;
}

FileError RenameFile(const QString &from, const QString &to, Replace replace, int inUseWaitMs)
{
    const std::wstring source = WidePath(from), target = WidePath(to);
    DWORD flags = MOVEFILE_WRITE_THROUGH;
    if (replace == Replace::RegularFile) {
        const FileState existing = InspectFile(to);
        if (existing.kind != FileKind::Missing && existing.kind != FileKind::Regular)
            return Error(FileError::Code::NotRegular, NotRegularReason(existing.kind));
        if (existing.readOnlyOnPurpose)
            return Error(FileError::Code::ReadOnly, QStringLiteral("файл защищён от записи"));
        flags |= MOVEFILE_REPLACE_EXISTING;
    }
    const QDeadlineTimer deadline(inUseWaitMs);
    for (;;) {
        if ((replace == Replace::RegularFile && ReplaceAsPosix(source, target)) || MoveFileExW(source.c_str(), target.c_str(), flags))
            return {};
        const DWORD error = GetLastError();
        const bool inUse = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION
            || (error == ERROR_ACCESS_DENIED && replace == Replace::RegularFile && OpenByAnother(target));
        if (!inUse)
            return SystemError(error);
        if (deadline.hasExpired())
            return SystemError(ERROR_SHARING_VIOLATION);
        QThread::msleep(100); // an indexer, a scan or a reader lets go within moments
    }
}

bool RemoveFile(const QString &path, const FileIdentity &identity)
{
    if (!identity.valid)
        return false;
    const Handle file(CreateFileW(WidePath(path).c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return file && IdentityOf(file.get()) == identity && MarkClaimedForDeletion(file.get());
}

FileIdentity IdentityOf(int descriptor)
{
    const intptr_t handle = _get_osfhandle(descriptor);
    return handle == -1 ? FileIdentity{} : IdentityOf(HANDLE(handle));
}

FileIdentity IdentityAt(const QString &path)
{
    const Handle file(
        CreateFileW(WidePath(path).c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file ? IdentityOf(file.get()) : FileIdentity{};
}

FileError SystemFileError(int error)
{
    return SystemError(DWORD(error));
}

FileError AppendToFile(int descriptor, const QByteArray &bytes)
{
    const intptr_t handle = _get_osfhandle(descriptor);
    DWORD written = 0;
    if (handle == -1)
        return SystemError(ERROR_INVALID_HANDLE);
    if (!WriteFile(HANDLE(handle), bytes.constData(), DWORD(bytes.size()), &written, nullptr))
        return SystemError(GetLastError());
    return written == DWORD(bytes.size()) ? FileError{} : SystemError(ERROR_DISK_FULL);
}

FileError RemoveOpenFile(int descriptor, const QString &, const QByteArray &)
{
    // The handle is the file itself, whatever now has its name; it was opened to be removed.
    const intptr_t handle = _get_osfhandle(descriptor);
    if (handle == -1)
        return Error(FileError::Code::NotFound, NotRegularReason(FileKind::Missing));
    return MarkClaimedForDeletion(HANDLE(handle)) ? FileError{} : SystemError(GetLastError());
}

bool SyncFile(int descriptor)
{
    const intptr_t handle = _get_osfhandle(descriptor);
    if (handle == -1)
        return false;
    // Through a handle of its own: all I/O on a synchronous handle is serialised, so a flush on
    // the file's own handle would keep the next write waiting for the disk (on a share, for a
    // round trip to the server and its disk), and a placement with it.
    const Handle flusher(ReOpenFile(HANDLE(handle), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0));
    if (!flusher)
        return FlushFileBuffers(HANDLE(handle)) != 0;
    return FlushFileBuffers(flusher.get()) != 0;
}

void SyncFolder(const QString &)
{
    // NTFS and SMB servers keep a folder's names in their own journal; a file flushed with
    // FlushFileBuffers is found under its name after a power cut.
}

ProbeFile CreateProbeFile(const QString &folder, FileSharing)
{
    // Removed by the system as its handle closes, also when the program is killed.
    ProbeFile probe;
    HANDLE handle = CreateFileW(WidePath(QDir(folder).filePath(ProbeFileName())).c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        probe.error = SystemError(GetLastError());
        return probe;
    }
    probe.file.reset(_open_osfhandle(intptr_t(handle), _O_WRONLY | _O_BINARY));
    if (!probe.file) {
        CloseHandle(handle);
        probe.error = Error(FileError::Code::Other, QStringLiteral("слишком много открытых файлов"));
    }
    return probe;
}

void DiscardProbeFile(ProbeFile &probe)
{
    probe.file.reset();
}

bool FolderSurvivesRestart(const QString &)
{
    return true;
}

QString PrivateTempFolder()
{
    return QDir::tempPath() + QStringLiteral("/KAVR.IM");
}

namespace {

// The user this process runs as.
std::vector<char> UserSid()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<char> user(size);
    const bool got = size && GetTokenInformation(token, TokenUser, user.data(), size, &size);
    CloseHandle(token);
    if (!got)
        return {};
    const PSID sid = reinterpret_cast<TOKEN_USER *>(user.data())->User.Sid;
    const auto *first = static_cast<const char *>(sid);
    return std::vector<char>(first, first + GetLengthSid(sid));
}

// Only the user and the system (backups, virus scans) may enter, whatever the parent grants.
struct OwnerOnly
{
    std::vector<char> user;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL dacl = nullptr;

    OwnerOnly() : user(UserSid())
    {
        wchar_t *sid = nullptr;
        if (user.empty() || !ConvertSidToStringSidW(user.data(), &sid))
            return;
        const std::wstring sddl = L"D:P(A;OICI;FA;;;" + std::wstring(sid) + L")(A;OICI;FA;;;SY)";
        LocalFree(sid);
        BOOL present = FALSE, defaulted = FALSE;
        if (ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
            GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    }
    ~OwnerOnly() { LocalFree(descriptor); }
    OwnerOnly(const OwnerOnly &) = delete;
    OwnerOnly &operator=(const OwnerOnly &) = delete;

    // Whether the folder is the user's and lets in no one else.
    bool keeps(const std::wstring &folder) const
    {
        PSID owner = nullptr;
        PACL found = nullptr;
        PSECURITY_DESCRIPTOR current = nullptr;
        if (GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                  &owner, nullptr, &found, nullptr, &current) != ERROR_SUCCESS)
            return false;
        // Made by the user, or by one of the user's programs run as administrator.
        bool only = found && owner && (EqualSid(owner, PSID(user.data())) || IsWellKnownSid(owner, WinBuiltinAdministratorsSid));
        for (DWORD i = 0; only && i < found->AceCount; ++i) {
            ACE_HEADER *ace = nullptr;
            if (!GetAce(found, i, reinterpret_cast<void **>(&ace)))
                only = false;
            else if (ace->AceType == ACCESS_ALLOWED_ACE_TYPE) {
                const PSID sid = &reinterpret_cast<ACCESS_ALLOWED_ACE *>(ace)->SidStart;
                only = EqualSid(sid, PSID(user.data())) || IsWellKnownSid(sid, WinLocalSystemSid);
            }
        }
        LocalFree(current);
        return only;
    }
};

} // namespace

bool UsablePrivateFolder(const QString &path, bool create)
{
    // Subjects' names go there: with TEMP on a shared C:\Temp the parent lets every user in.
    const OwnerOnly ownerOnly;
    if (!ownerOnly.dacl)
        return false;
    const std::wstring folder = WidePath(path);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, ownerOnly.descriptor, FALSE};
    if (create && !CreateDirectoryW(folder.c_str(), &attributes) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    if (InspectFile(path).kind != FileKind::Directory)
        return false;
    if (ownerOnly.keeps(folder))
        return true;
    // One of the user's own that lets others in is closed; anyone else's is never used.
    return SetNamedSecurityInfoW(const_cast<wchar_t *>(folder.c_str()), SE_FILE_OBJECT,
                                 DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                 ownerOnly.dacl, nullptr) == ERROR_SUCCESS
        && ownerOnly.keeps(folder);
}

} // namespace kavr::platform
