#include "platform/files/OwnedFile.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace kavr::platform {

OwnedFile &OwnedFile::operator=(OwnedFile &&other) noexcept
{
    if (this != &other)
        reset(other.release());
    return *this;
}

void OwnedFile::reset(int descriptor)
{
    const int held = std::exchange(m_descriptor, descriptor);
    if (held < 0)
        return;
#ifdef _WIN32
    _close(held); // closes the system's handle with it
#else
    ::close(held);
#endif
}

} // namespace kavr::platform
