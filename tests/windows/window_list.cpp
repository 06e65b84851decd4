// A look at the Windows desktop from inside the Wine session the end-to-end test runs, for
// what the X server cannot tell: where a window's client area lies in physical pixels, which
// window owns which, at what DPI. Also types text as Unicode input, the way an input method
// does, for the fields the test fills.
//
//   window-list windows   one line per visible top-level window, tab-separated:
//                         handle, owner, class, title (UTF-8), window x y w h,
//                         client x y w h (screen, physical pixels), DPI, process id
//   window-list cursor    the pointer's position: x y
//   window-list type TEXT sends TEXT to the window that has the keyboard
//   window-list close HANDLE
//                         asks the window to close, as its title bar's close button does
//   window-list clipboard the clipboard's text (UTF-8); what Ctrl+C copies of a message box
//   window-list console COMMAND_LINE
//                         runs the command line in a console of its own, as a command prompt
//                         would, and prints what the console then shows: "code page N",
//                         "exit N", then the screen's lines (UTF-8, trailing blanks cut)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <cstdint>
#include <cwchar>
#include <shellapi.h>
#include <string>
#include <vector>

namespace {

void Print(const std::string &text, HANDLE to = ::GetStdHandle(STD_OUTPUT_HANDLE))
{
    DWORD written = 0;
    ::WriteFile(to, text.data(), DWORD(text.size()), &written, nullptr);
}

std::string Utf8(const std::wstring &text)
{
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(std::size_t(length > 0 ? length : 0), '\0');
    if (length > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), bytes.data(), length, nullptr, nullptr);
    return bytes;
}

std::string Rect(int x, int y, int w, int h)
{
    return std::to_string(x) + ' ' + std::to_string(y) + ' ' + std::to_string(w) + ' ' + std::to_string(h);
}

std::string Handle(HWND window)
{
    return std::to_string(reinterpret_cast<std::uintptr_t>(window));
}

BOOL CALLBACK ListWindow(HWND window, LPARAM)
{
    if (!::IsWindowVisible(window))
        return TRUE;
    wchar_t className[256] = {};
    ::GetClassNameW(window, className, 256);
    std::wstring title(std::size_t(::GetWindowTextLengthW(window)) + 1, L'\0');
    title.resize(std::size_t(::GetWindowTextW(window, title.data(), int(title.size()))));
    RECT outer{}, client{};
    ::GetWindowRect(window, &outer);
    ::GetClientRect(window, &client);
    POINT origin{0, 0};
    ::ClientToScreen(window, &origin);
    using DpiForWindow = UINT(WINAPI *)(HWND);
    const auto dpiForWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void *>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    const UINT dpi = dpiForWindow ? dpiForWindow(window) : 0;
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    Print(Handle(window) + '\t' + Handle(::GetWindow(window, GW_OWNER)) + '\t' + Utf8(className) + '\t'
          + Utf8(title) + '\t' + Rect(outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top)
          + '\t' + Rect(origin.x, origin.y, client.right, client.bottom) + '\t' + std::to_string(dpi) + '\t'
          + std::to_string(process) + '\n');
    return TRUE;
}

void Type(const std::wstring &text)
{
    for (wchar_t unit : text) {
        INPUT input[2] = {};
        for (INPUT &one : input) {
            one.type = INPUT_KEYBOARD;
            one.ki.wScan = WORD(unit);
            one.ki.dwFlags = KEYEVENTF_UNICODE;
        }
        input[1].ki.dwFlags |= KEYEVENTF_KEYUP;
        ::SendInput(2, input, sizeof(INPUT));
        ::Sleep(10);
    }
}

int Clipboard()
{
    if (!::OpenClipboard(nullptr))
        return 3;
    std::wstring text;
    if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto *units = static_cast<const wchar_t *>(::GlobalLock(data))) {
            text = units;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    Print(Utf8(text));
    return 0;
}

// Wide enough that no line of a report's table wraps.
constexpr SHORT ScreenWidth = 2000;
constexpr SHORT ScreenHeight = 60;

int Console(std::wstring line)
{
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE); // the console takes the standard handles
    ::FreeConsole();
    // Wine makes a console only where it has a display.
    const HANDLE screen = ::AllocConsole()
        ? ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, OPEN_EXISTING, 0, nullptr)
        : INVALID_HANDLE_VALUE;
    if (screen == INVALID_HANDLE_VALUE || !::SetConsoleScreenBufferSize(screen, COORD{ScreenWidth, ScreenHeight})) {
        Print("no console\n", out);
        return 3;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        Print("cannot start the program\n", out);
        return 3;
    }
    DWORD code = STILL_ACTIVE;
    if (::WaitForSingleObject(process.hProcess, 60'000) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(process.hProcess, &code);
    std::wstring cells(std::size_t(ScreenWidth) * ScreenHeight, L' ');
    DWORD read = 0;
    ::ReadConsoleOutputCharacterW(screen, cells.data(), DWORD(cells.size()), COORD{0, 0}, &read);
    std::string shown = "code page " + std::to_string(::GetConsoleOutputCP()) + "\nexit " + std::to_string(code);
    for (std::size_t row = 0; row * ScreenWidth < read; ++row) {
        std::wstring text = cells.substr(row * ScreenWidth, ScreenWidth);
        text.erase(text.find_last_not_of(L' ') + 1);
        shown += '\n' + Utf8(text);
    }
    shown.erase(shown.find_last_not_of('\n') + 1); // the empty rows below the output
    Print(shown + '\n', out);
    return 0;
}

} // namespace

int main()
{
    // Physical pixels, as the program under test sees them (it is DPI-aware too).
    ::SetProcessDPIAware();
    int argc = 0;
    wchar_t **argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"windows") {
        ::EnumWindows(ListWindow, 0);
    } else if (command == L"cursor") {
        POINT at{};
        ::GetCursorPos(&at);
        Print(std::to_string(at.x) + ' ' + std::to_string(at.y) + '\n');
    } else if (command == L"type" && argc > 2) {
        Type(argv[2]);
    } else if (command == L"close" && argc > 2) {
        const HWND window = reinterpret_cast<HWND>(std::uintptr_t(std::wcstoull(argv[2], nullptr, 10)));
        return ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 3;
    } else if (command == L"clipboard") {
        return Clipboard();
    } else if (command == L"console" && argc > 2) {
        return Console(argv[2]);
    } else {
        Print("usage: window-list windows | cursor | type TEXT | close HANDLE | clipboard | console COMMAND_LINE\n");
        return 2;
    }
    return 0;
}
