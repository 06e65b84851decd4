#include "support/FakeDesktopServices.h"

namespace kavr::test {

void FakeDesktopServices::PlaySound(const std::string &name)
{
    calls << QStringLiteral("PlaySound %1").arg(QString::fromStdString(name));
}

void FakeDesktopServices::LoadKeyboardLayout(const std::string &layoutId)
{
    calls << QStringLiteral("LoadKeyboardLayout %1").arg(QString::fromStdString(layoutId));
}

void FakeDesktopServices::SetCursorPos(int x, int y)
{
    calls << QStringLiteral("SetCursorPos %1 %2").arg(x).arg(y);
}

void FakeDesktopServices::ShowTaskbar()
{
    calls << QStringLiteral("ShowTaskbar");
}

bool FakeDesktopServices::AddSystemMenuEntry(std::uintptr_t, unsigned commandId,
                                             const std::string &textUtf8)
{
    calls << QStringLiteral("AddSystemMenuEntry %1 %2").arg(commandId).arg(QString::fromStdString(textUtf8));
    return false; // like X11: the window offers the entry itself
}

bool FakeDesktopServices::IsSystemCommand(const void *, unsigned &) const
{
    return false;
}

platform::PriorityGrant FakeDesktopServices::RaiseTimedPriority()
{
    calls << QStringLiteral("RaiseTimedPriority");
    return priority;
}

void FakeDesktopServices::RestoreTimedPriority()
{
    if (restoring)
        restoring();
    calls << QStringLiteral("RestoreTimedPriority");
}

} // namespace kavr::test
