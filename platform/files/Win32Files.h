#pragma once
// What the Win32 file code shares: paths as Windows takes them, handles that close themselves,
// the system's own words for an error.
#include "platform/files/FileAccess.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

#include <windows.h>
#include <string>
#include <utility>

namespace kavr::platform::win32 {

// An absolute path with the "\\?\" prefix: no length limit of MAX_PATH, and Cyrillic letters
// and blanks as they are.
inline std::wstring WidePath(const QString &path)
{
    QString native = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (native.startsWith(QStringLiteral("\\\\")))
        native = QStringLiteral("\\\\?\\UNC\\") + native.sliced(2);
    else
        native = QStringLiteral("\\\\?\\") + native;
    return native.toStdWString();
}

// Reparse tags of files that are no regular files yet no name surrogates either: sockets and
// WSL's FIFOs and devices (the SDK's IO_REPARSE_TAG_AF_UNIX, _LX_FIFO, _LX_CHR, _LX_BLK).
inline constexpr DWORD SpecialFileTags[] = {0x80000023, 0x80000024, 0x80000025, 0x80000026};

// What a name is, from its attributes and, for a reparse point, its tag. Only name surrogates
// (symbolic links, junctions, mount points) lead elsewhere: a cloud file (OneDrive's Known
// Folder Move makes every file on the Desktop and in Documents one, fully local ones too), a
// deduplicated or a compressed (WOF) file is the file itself.
inline FileKind KindOf(DWORD attributes, DWORD reparseTag)
{
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (IsReparseTagNameSurrogate(reparseTag))
            return FileKind::Link;
        for (DWORD special : SpecialFileTags)
            if (reparseTag == special)
                return FileKind::Special;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return FileKind::Directory;
    if (attributes & FILE_ATTRIBUTE_DEVICE)
        return FileKind::Special;
    return FileKind::Regular;
}

class Handle final
{
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    Handle(Handle &&other) noexcept : m_handle(std::exchange(other.m_handle, INVALID_HANDLE_VALUE)) {}
    Handle &operator=(Handle &&) = delete;
    ~Handle()
    {
        if (*this)
            CloseHandle(m_handle);
    }
    explicit operator bool() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE get() const { return m_handle; }
    HANDLE release() { return std::exchange(m_handle, INVALID_HANDLE_VALUE); }

private:
    HANDLE m_handle;
};

inline QString SystemMessage(DWORD error)
{
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    QString message = length ? QString::fromWCharArray(text, int(length)).trimmed()
                             : QStringLiteral("ошибка %1").arg(error);
    LocalFree(text);
    return message;
}

// What the file open as handle is (opened with FILE_FLAG_OPEN_REPARSE_POINT: the name itself).
inline FileKind KindOfOpen(HANDLE handle)
{
    FILE_ATTRIBUTE_TAG_INFO info {};
    if (GetFileType(handle) != FILE_TYPE_DISK
        || !GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof info))
        return FileKind::Special;
    return KindOf(info.FileAttributes, info.ReparseTag);
}

} // namespace kavr::platform::win32
