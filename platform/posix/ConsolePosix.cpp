#include "platform/Console.h"

#include <unistd.h>

namespace kavr::platform {

bool IsTerminal(std::FILE *stream)
{
    return isatty(fileno(stream)) != 0;
}

void WriteBytesAsTheyAre(std::FILE *)
{
    // POSIX streams translate nothing.
}

} // namespace kavr::platform
