#pragma once
// kavr-im-report started as a window: from the desktop, or with --window.

namespace kavr::report {

// Whether this start opens the window: --window, or no arguments but a folder at most when
// started from the desktop (platform::JoinConsole() false, given as fromDesktop).
bool StartsAsWindow(int argc, char *argv[], bool fromDesktop);
// The window's application, its options taken from the command line; the exit status.
int RunReportWindow(int argc, char *argv[]);

} // namespace kavr::report
