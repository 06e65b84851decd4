// Links the Windows desktop services into an executable (never run here): the factory gives
// the Win32 implementation, and every service resolves against the Windows libraries.
#include "platform/desktop/DesktopServices.h"

#include <windows.h>
// Callers that see <windows.h> must undo its A/W renaming of these member names.
#undef PlaySound
#undef LoadKeyboardLayout

int main()
{
    auto services = kavr::platform::CreateDesktopServices();
    MSG message{};
    message.message = WM_SYSCOMMAND;
    message.wParam = 1025;
    unsigned command = 0;
    if (!services->IsSystemCommand(&message, command) || command != 1025)
        return 1;
    services->PlaySound("ID_start");
    services->LoadKeyboardLayout("00000409");
    services->SetCursorPos(0, 0);
    services->AddSystemMenuEntry(reinterpret_cast<std::uintptr_t>(GetConsoleWindow()), 1025, "О программе");
    services->ShowTaskbar();
    return 0;
}
