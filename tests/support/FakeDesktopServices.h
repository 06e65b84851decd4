#pragma once
// Records every desktop-service call, in order, as one line of text each.
#include "platform/desktop/DesktopServices.h"

#include <QStringList>

#include <functional>

namespace kavr::test {

class FakeDesktopServices final : public platform::DesktopServices
{
public:
    void PlaySound(const std::string &name) override;
    void LoadKeyboardLayout(const std::string &layoutId) override;
    void SetCursorPos(int x, int y) override;
    void ShowTaskbar() override;
    void WaitForWindowSystem() override {} // nothing to wait for offscreen; not a call worth recording
    bool AddSystemMenuEntry(std::uintptr_t nativeWindow, unsigned commandId,
                            const std::string &textUtf8) override;
    bool IsSystemCommand(const void *nativeMessage, unsigned &command) const override;
    platform::PriorityGrant RaiseTimedPriority() override;
    void RestoreTimedPriority() override;

    QStringList calls;
    // What RaiseTimedPriority answers; what RestoreTimedPriority runs first, when set.
    platform::PriorityGrant priority{true, "granted by the fake"};
    std::function<void()> restoring;
};

} // namespace kavr::test
