#pragma once
// The standard streams of a console program (the results report) as the platform has them.
#include <cstdio>
#include <string_view>

namespace kavr::platform {

// Whether stream is a terminal (on Windows a console, not a file, a pipe or NUL): a progress
// line may rewrite itself there.
bool IsTerminal(std::FILE *stream);

// Makes stream write its bytes as they are: Windows' text mode would turn each LF into CR LF,
// a CSV's CR LF into CR CR LF.
void WriteBytesAsTheyAre(std::FILE *stream);

// Writes UTF-8 text to stream so that it reads right. A console of Windows gets characters,
// whatever its code page (866 in a Russian Windows would garble UTF-8 bytes); a leading
// byte-order mark, which marks a file, is left out there. A file or a pipe, and every POSIX
// terminal, get the bytes as they are, through the stream and its mode. False when not all
// of it was written.
bool WriteText(std::FILE *stream, std::string_view utf8);

// Whether the program was started from a console (a terminal, a command prompt) or with its
// streams taken by files or pipes (a script): then it is the console program. False when
// started from the desktop (a double-click, a menu entry) with a display to open a window on.
// On Windows a program built for the window subsystem joins here the console of the command
// prompt that started it, so that what it writes shows there.
bool JoinConsole();

} // namespace kavr::platform
