#pragma once
// The main window fills the work area and stays so: the frame a window manager draws around it
// offers neither to resize it, to maximise it nor to minimise it. Windows fixes such a frame
// from the window's flags (Qt::MSWindowsFixedSizeDialogHint); an X11 window manager goes by the
// window's size limits, which Qt leaves open, and offers a resize (and a maximise) otherwise.
class QWindow;

namespace kavr::platform {

// Holds window, a top-level window about to be shown maximised, on its screen's work area from
// now on. On X11, once a window manager has framed and maximised it, its smallest and largest
// size become the size it has; when a manager then takes the maximised state away (Openbox does
// from a window of fixed size), a user restores it or the work area changes (a panel added,
// another resolution), the program puts the frame on the work area itself, its size fixed to
// fit. Without a window manager nothing frames the window and nothing is done; nor on Windows
// and other Qt platforms. What it needs is owned by the window.
void KeepOnWorkArea(QWindow &window);

} // namespace kavr::platform
