#pragma once
// The desktop services on X11 (and on any other Qt platform, where the X11 parts do nothing):
// sounds through SoundPlayer, keyboard layouts as XKB groups, the pointer through QCursor. There
// is no taskbar to show and no window-manager menu a program can extend.
#include "platform/desktop/DesktopServices.h"
#include "platform/priority/TimedPriority.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace kavr::platform {

class SoundPlayer;

class X11DesktopServices final : public DesktopServices
{
public:
    X11DesktopServices();
    ~X11DesktopServices() override;

    void PlaySound(const std::string &name) override;
    void LoadKeyboardLayout(const std::string &layoutId) override;
    void SetCursorPos(int x, int y) override;
    void ShowTaskbar() override;
    void WaitForWindowSystem() override;
    bool AddSystemMenuEntry(std::uintptr_t nativeWindow, unsigned commandId,
                            const std::string &textUtf8) override;
    bool IsSystemCommand(const void *nativeMessage, unsigned &command) const override;
    PriorityGrant RaiseTimedPriority() override { return m_priority.raise(); }
    void RestoreTimedPriority() override { m_priority.restore(); }

    // The player behind PlaySound, created with the first sound.
    SoundPlayer *soundPlayer() const { return m_player.get(); }

    // The XKB layout of a Windows layout identifier ("00000419" → "ru"); empty when unknown.
    static QString XkbLayoutFor(const std::string &layoutId);
    // The layouts of the XKB groups, in group order, from the root window's _XKB_RULES_NAMES
    // (rules, model, layout, variant, options, each ended by a NUL).
    static QStringList LayoutsFromRulesNames(const QByteArray &rulesNames);
    // The same from a keymap's symbols name, like "pc+us+ru:2+inet(evdev)".
    static QStringList LayoutsFromSymbols(const QString &symbols);

private:
    std::unique_ptr<SoundPlayer> m_player;
    TimedPriority m_priority;
};

} // namespace kavr::platform
