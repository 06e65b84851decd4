#pragma once
// One run of the real program as a lab would have it: a copy of the executable in a folder of
// its own with a Result folder beside it, its own home, temporary and runtime folders, and,
// when the test runs as root, a user and group of its own (a number no one else has), so that
// everything it writes anywhere on the machine can be found by owner afterwards. The program
// can be killed and started again on the same folders, as a lab's power cut would have it.
#include "harness/ProgramUnderTest.h"
#include "harness/XInput.h"

#include <QDateTime>
#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>

namespace kavr::harness {

class TreeSnapshot;
class XvfbSession;

class ProgramRun final : public ProgramUnderTest
{
public:
    // Neither is owned; both must outlive the run.
    ProgramRun(const XvfbSession &server, XInput &input);
    // Kills the program; its folders go.
    ~ProgramRun() override;

    // Own: home, temporary and runtime folders of the run's own and, as root, a user of its
    // own. Shared: the caller's user and session (its home, temporary folder and sound
    // server), as a lab's desktop runs the program: for timing it.
    enum class Session { Own, Shared };

    // Copies program into a new folder below parent (the temporary folder when empty);
    // resultDir false leaves the Result folder out. False when a folder or the copy failed.
    bool prepare(const QString &program, bool resultDir = true, const QString &parent = {},
                 Session session = Session::Own);
    // Starts the copy (again, after an end or a kill: same folders) and waits for its main
    // window and its first paint; false when it did not come.
    bool start() override;
    // Starts the copy and returns at once: for a caller that dates the window itself. False
    // when the process did not start.
    bool launch();
    // From the next launch() on, whether the system is to refuse the program a real-time
    // priority (for timing it without): the child gives up CAP_SYS_NICE from its bounding set
    // (as root, the program then lacks it), RLIMIT_RTPRIO 0, and a system bus address that
    // leads nowhere, so that RealtimeKit cannot be asked either. Off by default.
    void refuseRealTime(bool refuse) { m_refuseRealTime = refuse; }
    // When the last launch() or start() asked for the process, on CLOCK_MONOTONIC.
    std::int64_t launchedNs() const { return m_launchedNs; }
    qint64 processId() const { return m_process.processId(); }
    bool running() const override;
    // Waits for the program to end; true when it ended by itself with exit code 0.
    bool waitForCleanExit(int ms) override;
    // SIGKILL, and waits for the end: nothing of the program's own runs after it.
    void kill() override;
    // SIGTERM, then SIGKILL after ms.
    void stop(int ms = 5000);
    QString exitDescription() const override;
    QString standardError() const override;
    // The program's threads and their stacks (gdb), or why they cannot be had.
    QString backtrace() const override;

    QString appDir() const;
    QString resultDir() const override;
    QString homeDir() const;
    QString tmpDir() const;
    // Hands a folder made by the test over to the program's user.
    void giveToProgram(const QString &path) const;
    bool ownUser() const { return m_ownUser; }

    unsigned long mainWindow() const { return m_window; }
    // The main window's title: each set-up of a test adds the variant to it.
    QString mainTitle() const override;
    QPoint origin() const override { return m_origin; }
    QSize clientSize() const override { return m_size; }
    QImage grab(const QRect &client) const override;
    // The main window as the screen shows it now; null before a window came.
    QImage windowImage() const;
    QString saveScreenshot(const QString &folder, const QString &name) const override;
    // Other windows of the program now shown: the about box, menus, message boxes (the X
    // server has no window manager: a window is its client area).
    QList<TopLevel> otherWindows() const override;
    void requestClose() override;

    // Files made or changed since start() outside the Result folder: in the program's own
    // folders and, when it runs as its own user, in the machine's shared temporary folders.
    QStringList outsideWrites() const override;

    // The window's context menu (right click where the log-in layer is empty), its one item;
    // a click on the about box's OK; X keys.
    void chooseAbout() override;
    void confirmAbout(const TopLevel &box) override;
    void type(const QString &text) override;

private:
    const XvfbSession &m_server;
    XInput &m_input;
    std::unique_ptr<QTemporaryDir> m_root;
    QProcess m_process;
    Session m_session = Session::Own;
    bool m_ownUser = false;
    bool m_refuseRealTime = false;
    unsigned long m_window = 0;
    QPoint m_origin;
    QSize m_size;
    std::int64_t m_launchedNs = 0;
    QDateTime m_started;
    QList<std::pair<QString, std::shared_ptr<TreeSnapshot>>> m_before;
};

} // namespace kavr::harness
