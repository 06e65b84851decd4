#include "platform/console/Console.h"

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

bool WriteText(std::FILE *stream, std::string_view utf8)
{
    // A terminal here reads the bytes in the locale's encoding, UTF-8 on every desktop.
    return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
}

} // namespace kavr::platform
