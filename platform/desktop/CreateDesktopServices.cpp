#include "platform/desktop/DesktopServices.h"

// The program's one choice of platform.
#ifdef _WIN32
#include "platform/desktop/Win32DesktopServices.h"
using PlatformDesktopServices = kavr::platform::Win32DesktopServices;
#else
#include "platform/desktop/X11DesktopServices.h"
using PlatformDesktopServices = kavr::platform::X11DesktopServices;
#endif

namespace kavr::platform {

std::unique_ptr<DesktopServices> CreateDesktopServices()
{
    return std::make_unique<PlatformDesktopServices>();
}

} // namespace kavr::platform
