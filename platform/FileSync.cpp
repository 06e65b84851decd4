#include "platform/FileSync.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace kavr::platform {

bool SyncFileToDisk(int fileHandle)
{
#ifdef _WIN32
    const intptr_t handle = _get_osfhandle(fileHandle);
    return handle != -1 && FlushFileBuffers(reinterpret_cast<HANDLE>(handle)) != 0;
#else
    return ::fsync(fileHandle) == 0;
#endif
}

} // namespace kavr::platform
