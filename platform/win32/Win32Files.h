#pragma once
// What the Win32 file code shares: paths as Windows takes them, handles that close themselves,
// the system's own words for an error.
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

} // namespace kavr::platform::win32
