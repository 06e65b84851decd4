#include "platform/files/FileLock.h"

#include "platform/files/LockContents.h"
#include "platform/files/Win32Files.h"

#include <fcntl.h>
#include <io.h>
#include <utility>

namespace kavr::platform {

namespace {

constexpr DWORD MaxLockBytes = 4096;

} // namespace

std::unique_ptr<FileLock> FileLock::create(const QString &path, FileSharing sharing, FileError *error)
{
    // Held open without the right for others to remove it, from the moment it exists: whether it
    // can be removed tells whether its owner lives, on a file server too, whatever process id it
    // names. What it says is for the operator's notice only.
    OwnedFile file = CreateHeldFile(
        path, sharing,
        [](int fd) {
            const QByteArray contents = lock::Contents({GetCurrentProcessId()});
            DWORD written = 0;
            const HANDLE handle = HANDLE(_get_osfhandle(fd));
            return WriteFile(handle, contents.constData(), DWORD(contents.size()), &written,
                             nullptr)
                && written == DWORD(contents.size()) && FlushFileBuffers(handle);
        },
        error);
    if (!file) {
        if (error && error->code == FileError::Code::Other)
            error->reason = QStringLiteral("не удалось записать файл блокировки");
        return nullptr;
    }
    return std::unique_ptr<FileLock>(new FileLock(path, std::move(file)));
}

bool FileLock::heartbeat()
{
    ++m_beats;
    // The open handle says it all, while it is there: a file server restarted without
    // continuous availability forgets it, and another start would take the test for abandoned.
    BY_HANDLE_FILE_INFORMATION info {};
    if (GetFileInformationByHandle(HANDLE(_get_osfhandle(m_file.get())), &info))
        return true;
    win32::Handle again(CreateFileW(win32::WidePath(m_path).c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!again || !GetFileInformationByHandle(again.get(), &info)
        || FileIdentity{info.dwVolumeSerialNumber, (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow, true}
            != m_identity)
        return false;
    OwnedFile reopened(_open_osfhandle(intptr_t(again.get()), _O_WRONLY | _O_BINARY));
    if (!reopened)
        return false;
    again.release();
    m_file = std::move(reopened); // the lost handle closed
    return true;
}

void FileLock::examineOwner(Claim &claim)
{
    const QString &path = claim.m_path;
    // May remove it, read-only or not, once it is found abandoned (RemoveOpenFile).
    win32::Handle file(CreateFileW(win32::WidePath(path).c_str(), GENERIC_READ | DELETE | FILE_WRITE_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        claim.m_state = error == ERROR_SHARING_VIOLATION ? Claim::State::Held
            : error == ERROR_FILE_NOT_FOUND              ? Claim::State::Missing
                                                         : Claim::State::Undecided;
        if (claim.m_state == Claim::State::Held) {
            // Its owner lets others read it: the workstation it names, for the operator.
            const win32::Handle reader(CreateFileW(win32::WidePath(path).c_str(), GENERIC_READ,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                   OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
            QByteArray bytes(int(MaxLockBytes), '\0');
            DWORD got = 0;
            if (reader && win32::KindOfOpen(reader.get()) == FileKind::Regular
                && ReadFile(reader.get(), bytes.data(), DWORD(bytes.size()), &got, nullptr))
                claim.m_host = lock::Parse(bytes.first(got)).host;
        }
        return;
    }
    BY_HANDLE_FILE_INFORMATION info {};
    if (win32::KindOfOpen(file.get()) != FileKind::Regular || !GetFileInformationByHandle(file.get(), &info)
        || info.nFileSizeHigh != 0 || info.nFileSizeLow > MaxLockBytes)
        return;
    QByteArray bytes(int(info.nFileSizeLow), '\0');
    DWORD got = 0;
    if (ReadFile(file.get(), bytes.data(), DWORD(bytes.size()), &got, nullptr))
        bytes.truncate(int(got));
    claim.m_host = lock::Parse(bytes).host;
    OwnedFile held(_open_osfhandle(intptr_t(file.get()), _O_RDONLY | _O_BINARY));
    if (!held)
        return;
    file.release();
    claim.m_file = std::move(held);
    claim.m_state = Claim::State::Abandoned;
}

QString FileLock::problemIn(const QString &)
{
    // A lock is a handle held open: a folder that takes files takes locks.
    return {};
}

QStringList FileLock::staleTemporaries(const QString &, const QStringList &)
{
    return {};
}

int FileLock::clearLeftovers(const QString &, QStringView)
{
    // Nothing to clear: probes go with their handles, and locks are made and claimed at their
    // own names, never under temporary ones.
    return 0;
}

} // namespace kavr::platform
