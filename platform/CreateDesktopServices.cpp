#include "platform/DesktopServices.h"

// The program's one choice of platform.
#ifdef _WIN32
#include "platform/win32/Win32DesktopServices.h"
using PlatformDesktopServices = kavr::platform::Win32DesktopServices;
#else
#include "platform/x11/X11DesktopServices.h"
using PlatformDesktopServices = kavr::platform::X11DesktopServices;
#endif

namespace kavr::platform {

std::unique_ptr<DesktopServices> CreateDesktopServices()
{
    return std::make_unique<PlatformDesktopServices>();
}

} // namespace kavr::platform
