#pragma once
// kavr-im.exe of the Windows package, unpacked where the caller chose, run in a Wine session on
// the harness's X server as the tests run the Linux program: started (again) from its folder as
// a double click would, seen on the screen, driven by X input, killed or its whole session ended
// as a lab's machine would end it. Its windows come from window-list.exe (WineSession): the
// client areas in physical pixels, the owner of each; the program's other windows are those of
// its process.
#include "harness/ProgramUnderTest.h"
#include "harness/WineSession.h"

#include <QElapsedTimer>

#include <memory>

namespace kavr::harness {

class TreeSnapshot;
class XvfbSession;

class WineProgram final : public ProgramUnderTest
{
public:
    // exe: kavr-im.exe where it was unpacked. None is owned; all must outlive the run.
    WineProgram(const XvfbSession &server, XInput &input, WineSession &wine, QString exe);
    // Kills the program; the session goes on.
    ~WineProgram() override;

    QString exe() const { return m_exe; }
    QString appDir() const;
    // Windows' process id of the program, read off its main window; 0 before one came.
    quint32 windowsProcessId() const { return m_processId; }
    // Ends the whole Wine session: every program of it, the desktop too, as a machine's
    // restart or log-off ends them. The next start begins a new session with the program, the
    // session's first (Wine then gives it process id 32, as to the one before).
    void endSession();

    bool start() override;
    bool running() const override;
    bool waitForCleanExit(int ms) override;
    void kill() override;
    QString exitDescription() const override;
    QString standardError() const override;
    QString backtrace() const override;

    QString resultDir() const override;
    // In the package's folder and in the prefix's user profile (which holds the home folder and
    // the temporary folder, where protocols fall back).
    QStringList outsideWrites() const override;

    QString mainTitle() const override;
    QPoint origin() const override { return m_origin; }
    QSize clientSize() const override { return m_size; }
    QImage grab(const QRect &client) const override;
    QString saveScreenshot(const QString &folder, const QString &name) const override;
    QList<TopLevel> otherWindows() const override;
    void requestClose() override;

    // The system menu from the keyboard (its last item, after Wine's own "About Wine"); Enter
    // for OK, once a click gave the about box the keyboard; Unicode input.
    void chooseAbout() override;
    void confirmAbout(const TopLevel &box) override;
    void type(const QString &text) override;

    // The text of a message box, as Ctrl+C copies it in Windows: its title, text and buttons
    // between lines of dashes.
    QString messageText(const TopLevel &box);

private:
    // The session's windows, read at most every 100 ms (each read starts a Windows program).
    QList<WinWindow> windows() const;

    const XvfbSession &m_server;
    XInput &m_input;
    WineSession &m_wine;
    QString m_exe;
    quint64 m_window = 0;
    quint32 m_processId = 0;
    QPoint m_origin;
    QSize m_size;
    int m_exitCode = -1;
    bool m_sessionEnded = false; // the next start begins a session
    QString m_profile;
    mutable QString m_output;
    mutable QList<WinWindow> m_windows;
    mutable QElapsedTimer m_windowsRead;
    QList<std::pair<QString, std::shared_ptr<TreeSnapshot>>> m_before;
};

} // namespace kavr::harness
