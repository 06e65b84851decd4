#include "platform/desktop/FileSync.h"

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
    if (handle == -1)
        return false;
    // Through a handle of its own: all I/O on a synchronous handle is serialised, so a flush on
    // the file's own handle would keep the next write waiting for the disk (on a share, for a
    // round trip to the server and its disk), and a placement with it.
    const HANDLE flusher = ReOpenFile(reinterpret_cast<HANDLE>(handle), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0);
    if (flusher == INVALID_HANDLE_VALUE)
        return FlushFileBuffers(reinterpret_cast<HANDLE>(handle)) != 0;
    const bool flushed = FlushFileBuffers(flusher) != 0;
    CloseHandle(flusher);
    return flushed;
#else
    return ::fsync(fileHandle) == 0;
#endif
}

} // namespace kavr::platform
