#include "platform/Console.h"

#include <fcntl.h>
#include <io.h>

namespace kavr::platform {

bool IsTerminal(std::FILE *stream)
{
    return _isatty(_fileno(stream)) != 0;
}

void WriteBytesAsTheyAre(std::FILE *stream)
{
    std::fflush(stream);
    _setmode(_fileno(stream), _O_BINARY);
}

} // namespace kavr::platform
