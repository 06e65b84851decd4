#include "platform/desktop/WorkAreaWindow.h"

namespace kavr::platform {

// Qt::MSWindowsFixedSizeDialogHint leaves the frame no sizing border and no maximise box, and
// Windows itself keeps a maximised window on the work area when the work area changes.
void KeepOnWorkArea(QWindow &)
{
}

} // namespace kavr::platform
