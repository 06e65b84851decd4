#pragma once
// The desktop services the test needs: sounds, keyboard layout, pointer, taskbar, the
// window-menu entry, a wait for the window system to catch up, and the processor for the timed
// phases. Kept free of Qt so that the Windows implementation compiles without it.
// No caller ever examines a result of these calls except where a return value says how the
// platform offers something (the menu entry); failures are silent.
#include "platform/priority/TimedPriority.h"

#include <cstdint>
#include <memory>
#include <string>

namespace kavr::platform {

class DesktopServices
{
public:
    virtual ~DesktopServices() = default;

    // Starts a built-in sound ("ID_start", "ID_Finish"; names match case-insensitively) and
    // returns at once. A sound still playing is cut. No audio device: silence.
    virtual void PlaySound(const std::string &name) = 0;

    // Makes a keyboard layout active: "00000409" English (US), "00000419" Russian.
    virtual void LoadKeyboardLayout(const std::string &layoutId) = 0;

    // Moves the pointer to a point in screen coordinates (device-independent pixels).
    virtual void SetCursorPos(int x, int y) = 0;

    // Makes the desktop's taskbar visible, where there is one.
    virtual void ShowTaskbar() = 0;

    // Appends a separator and the item textUtf8 with commandId to the window's own system
    // menu. Returns false where the platform has no window menu a program can extend; the
    // caller then offers the entry itself and delivers its command the same way.
    virtual bool AddSystemMenuEntry(std::uintptr_t nativeWindow, unsigned commandId,
                                    const std::string &textUtf8) = 0;

    // For the window's native event hook: true when nativeMessage is a system command, whose
    // whole command value is stored in command.
    virtual bool IsSystemCommand(const void *nativeMessage, unsigned &command) const = 0;

    // Returns once the window system has carried out everything the program asked of it so far
    // (X11: a round trip to the server), without handling any event: what is still to do for
    // the screen before takes nothing from a flush that must show at a moment of its own.
    virtual void WaitForWindowSystem() = 0;

    // From the start of the exposure until the protocol is saved: the processor for the calling
    // thread, the one that draws and times the phases, as far as the system grants it
    // (TimedPriority.h); what was granted, for the journal. Asked again before the restore: the
    // grant as it stands.
    virtual PriorityGrant RaiseTimedPriority() = 0;
    // Gives back what RaiseTimedPriority obtained, on the same thread.
    virtual void RestoreTimedPriority() = 0;
};

// The implementation for the platform the program was built for.
std::unique_ptr<DesktopServices> CreateDesktopServices();

} // namespace kavr::platform
