#pragma once
// The desktop services as the Windows API offers them: winmm sounds from the program's own
// WAVE resources, input layouts, the pointer, the taskbar and the window's system menu. Uses no
// Qt; <windows.h> stays inside the .cpp because it defines PlaySound and LoadKeyboardLayout as
// macros.
#include "platform/desktop/DesktopServices.h"
#include "platform/priority/TimedPriority.h"

namespace kavr::platform {

class Win32DesktopServices final : public DesktopServices
{
public:
    Win32DesktopServices();

    void PlaySound(const std::string &name) override;
    void LoadKeyboardLayout(const std::string &layoutId) override;
    void SetCursorPos(int x, int y) override;
    void ShowTaskbar() override;
    void WaitForWindowSystem() override;
    bool AddSystemMenuEntry(std::uintptr_t nativeWindow, unsigned commandId,
                            const std::string &textUtf8) override;
    bool IsSystemCommand(const void *nativeMessage, unsigned &command) const override;
    PriorityGrant RaiseTimedPriority() override { return m_priority.raise(); }
    void RestoreTimedPriority() override { m_priority.restore(); }

private:
    void *m_module; // HMODULE of the executable that holds the WAVE resources
    TimedPriority m_priority;
};

} // namespace kavr::platform
