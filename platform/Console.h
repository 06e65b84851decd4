#pragma once
// The standard streams of a console program (the results report) as the platform has them.
#include <cstdio>

namespace kavr::platform {

// Whether stream is a terminal: a progress line may rewrite itself there.
bool IsTerminal(std::FILE *stream);

// Makes stream write its bytes as they are: Windows' text mode would turn each LF into CR LF,
// a CSV's CR LF into CR CR LF.
void WriteBytesAsTheyAre(std::FILE *stream);

} // namespace kavr::platform
