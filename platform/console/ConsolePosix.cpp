#include "platform/console/Console.h"

#include <cstdlib>
#include <sys/stat.h>
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

bool JoinConsole()
{
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        struct stat status;
        if (isatty(fd)
            || (fstat(fd, &status) == 0 && (S_ISREG(status.st_mode) || S_ISFIFO(status.st_mode))))
            return true;
    }
    // A desktop starts programs with /dev/null or its log's socket as their streams; without a
    // display there is nowhere to open a window.
    const auto set = [](const char *name) {
        const char *value = std::getenv(name);
        return value && *value;
    };
    return !set("DISPLAY") && !set("WAYLAND_DISPLAY");
}

} // namespace kavr::platform
