#include "platform/console/Console.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <io.h>
#include <string>

namespace kavr::platform {

namespace {

// The console behind stream, or null. A console answers GetConsoleMode; files, pipes and NUL
// (which _isatty takes for a terminal) do not.
HANDLE ConsoleOf(std::FILE *stream)
{
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) ? handle : nullptr;
}

} // namespace

bool IsTerminal(std::FILE *stream)
{
    return ConsoleOf(stream) != nullptr;
}

void WriteBytesAsTheyAre(std::FILE *stream)
{
    std::fflush(stream);
    _setmode(_fileno(stream), _O_BINARY);
}

bool WriteText(std::FILE *stream, std::string_view utf8)
{
    const HANDLE console = ConsoleOf(stream);
    if (!console)
        return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();

    if (utf8.starts_with("\xEF\xBB\xBF"))
        utf8.remove_prefix(3);
    if (utf8.size() > INT_MAX / 2)
        return false;
    std::wstring text(utf8.size(), L'\0'); // never more UTF-16 units than UTF-8 bytes
    text.resize(std::size_t(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()),
                                                  text.data(), int(text.size()))));
    std::fflush(stream); // what the stream holds comes first
    // In pieces: older consoles refuse a single write of more than about 64 KB. A surrogate
    // pair stays in one piece.
    for (std::size_t at = 0; at < text.size();) {
        DWORD count = DWORD(std::min<std::size_t>(text.size() - at, 8192));
        if (at + count < text.size() && IS_HIGH_SURROGATE(text[at + count - 1]))
            --count;
        DWORD written = 0;
        if (!::WriteConsoleW(console, text.data() + at, count, &written, nullptr) || written == 0)
            return false;
        at += written;
    }
    return true;
}

bool JoinConsole()
{
    // A console of its own, or streams a command prompt or a script handed over. A handle value
    // copied from a parent that did not let it be inherited names nothing here.
    for (const DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        const HANDLE handle = ::GetStdHandle(which);
        if (!handle || handle == INVALID_HANDLE_VALUE)
            continue;
        ::SetLastError(NO_ERROR);
        if (::GetFileType(handle) != FILE_TYPE_UNKNOWN || ::GetLastError() == NO_ERROR)
            return true;
    }
    // Explorer has no console to join; a command prompt does.
    if (!::AttachConsole(ATTACH_PARENT_PROCESS))
        return false;
    // The C streams were set up when there was no console: point them at it.
    std::freopen("CONIN$", "r", stdin);
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
    return true;
}

} // namespace kavr::platform
