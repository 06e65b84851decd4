#include "platform/win32/Win32DesktopServices.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <mmsystem.h>

// <windows.h> turns these into their A/W variants; the members keep their own names.
#undef PlaySound
#undef LoadKeyboardLayout

#include <string>

namespace kavr::platform {

namespace {

// A WAVE resource of the module, played in the background. Without SND_NODEFAULT a sound that
// cannot be played gives the default alert sound instead.
constexpr DWORD kPlayResourceAsync = SND_RESOURCE | SND_ASYNC;
constexpr WORD kPositionPastEnd = 0xFFFF;
constexpr int kLayoutDpi = 96;

std::wstring Utf16(const std::string &utf8)
{
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring text(std::size_t(length > 0 ? length : 0), L'\0');
    if (length > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), text.data(), length);
    return text;
}

} // namespace

Win32DesktopServices::Win32DesktopServices()
    : m_module(::GetModuleHandleA(nullptr))
{
}

void Win32DesktopServices::PlaySound(const std::string &name)
{
    ::PlaySoundA(name.c_str(), static_cast<HMODULE>(m_module), kPlayResourceAsync);
}

void Win32DesktopServices::LoadKeyboardLayout(const std::string &layoutId)
{
    ::LoadKeyboardLayoutA(layoutId.c_str(), KLF_ACTIVATE);
}

void Win32DesktopServices::SetCursorPos(int x, int y)
{
    // The callers' points are device-independent (Qt's); a DPI-aware process moves the pointer in
    // physical pixels.
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : kLayoutDpi;
    if (screen)
        ::ReleaseDC(nullptr, screen);
    ::SetCursorPos(::MulDiv(x, dpi, kLayoutDpi), ::MulDiv(y, dpi, kLayoutDpi));
}

void Win32DesktopServices::ShowTaskbar()
{
    if (HWND taskbar = ::FindWindowA("Shell_TrayWnd", nullptr))
        ::ShowWindow(taskbar, SW_SHOW);
}

bool Win32DesktopServices::AddSystemMenuEntry(std::uintptr_t nativeWindow, unsigned commandId,
                                              const std::string &textUtf8)
{
    HMENU menu = ::GetSystemMenu(reinterpret_cast<HWND>(nativeWindow), FALSE);
    if (!menu)
        return false;
    // By command: no item has the identifier 0xFFFF, so the separator is appended.
    ::InsertMenuA(menu, kPositionPastEnd, MF_SEPARATOR | MF_BYCOMMAND, commandId, "");
    // By position: 0xFFFF lies past the last item, so the entry follows the separator.
    const std::wstring text = Utf16(textUtf8);
    return ::InsertMenuW(menu, kPositionPastEnd, MF_BYPOSITION | MF_STRING, commandId, text.c_str()) != FALSE;
}

bool Win32DesktopServices::IsSystemCommand(const void *nativeMessage, unsigned &command) const
{
    const auto *message = static_cast<const MSG *>(nativeMessage);
    if (!message || message->message != WM_SYSCOMMAND)
        return false;
    command = unsigned(message->wParam); // the whole value: its low four bits are not masked off
    return true;
}

} // namespace kavr::platform
