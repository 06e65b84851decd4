#include "platform/desktop/Win32DesktopServices.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <mmsystem.h>
#include <shellscalingapi.h>

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

// A point in device-independent screen coordinates as a DPI-aware process sees them: each
// monitor keeps its top left corner where the system has it and spans its physical size scaled
// by 96 / its DPI, so the point is mapped through the monitor whose scaled rectangle holds it.
struct PointOnMonitor
{
    POINT logical{};
    POINT physical{};
    bool found = false;
};

BOOL CALLBACK MapOnMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    auto *point = reinterpret_cast<PointOnMonitor *>(data);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    UINT dpiX = kLayoutDpi, dpiY = kLayoutDpi;
    if (!::GetMonitorInfoW(monitor, &info)
        || ::GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &dpiX, &dpiY) != S_OK)
        return TRUE;
    const RECT &rc = info.rcMonitor;
    const LONG dx = point->logical.x - rc.left, dy = point->logical.y - rc.top;
    if (dx < 0 || dy < 0 || dx >= ::MulDiv(rc.right - rc.left, kLayoutDpi, int(dpiX))
        || dy >= ::MulDiv(rc.bottom - rc.top, kLayoutDpi, int(dpiY)))
        return TRUE;
    point->physical = {rc.left + ::MulDiv(dx, int(dpiX), kLayoutDpi), rc.top + ::MulDiv(dy, int(dpiY), kLayoutDpi)};
    point->found = true;
    return FALSE;
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
    // The callers' points are device-independent (Qt's); a DPI-aware process moves the pointer
    // in physical pixels. A point on no monitor is left as it is: the system clips it.
    PointOnMonitor point;
    point.logical = {x, y};
    ::EnumDisplayMonitors(nullptr, nullptr, MapOnMonitor, reinterpret_cast<LPARAM>(&point));
    if (!point.found)
        point.physical = point.logical;
    ::SetCursorPos(point.physical.x, point.physical.y);
}

void Win32DesktopServices::WaitForWindowSystem()
{
    GdiFlush(); // the batch of drawing calls this thread has queued
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
