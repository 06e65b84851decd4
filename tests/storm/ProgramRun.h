#pragma once
// One run of the real program as a lab would have it: a copy of the executable in a folder of
// its own with a Result folder beside it, its own home, temporary and runtime folders, and,
// when the test runs as root, a user and group of its own (a number no one else has), so that
// everything it writes anywhere on the machine can be found by owner afterwards.
#include "XInput.h"

#include <QDateTime>
#include <QPoint>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

namespace kavr::test {

class TreeSnapshot;
class XvfbSession;

class ProgramRun
{
public:
    ProgramRun(const XvfbSession &server, const XInput &input);
    ~ProgramRun();

    // Copies the program into a new folder; resultDir false leaves the Result folder out.
    bool prepare(const QString &program, bool resultDir = true);
    // Starts the copy and waits for its main window.
    bool start();
    bool running() const;
    // Waits for the program to end; true when it ended by itself with exit code 0.
    bool waitForCleanExit(int ms);
    void kill();
    QString exitDescription() const;
    QString standardError() const;
    // The program's threads and their stacks (gdb), or why they cannot be had.
    QString backtrace() const;

    QString appDir() const;
    QString resultDir() const;
    QString homeDir() const;
    QString tmpDir() const;
    // Hands a folder made by the test over to the program's user.
    void giveToProgram(const QString &path) const;
    bool ownUser() const { return m_ownUser; }

    unsigned long mainWindow() const { return m_window; }
    // The main window's title: each set-up of a test adds the variant to it.
    QString mainTitle() const;
    QPoint origin() const { return m_origin; }
    // Other windows of the program now shown: the about box, menus, message boxes.
    QList<TopLevel> otherWindows() const;
    // Visible windows titled "KAVR.IM" other than the main window and its menus.
    QList<TopLevel> messageBoxes() const;

    // Files made or changed since start() outside the Result folder: in the program's own
    // folders and, when it runs as its own user, in the machine's shared temporary folders.
    QStringList outsideWrites() const;

private:
    const XvfbSession &m_server;
    const XInput &m_input;
    std::unique_ptr<QTemporaryDir> m_root;
    QProcess m_process;
    bool m_ownUser = false;
    unsigned long m_window = 0;
    QPoint m_origin;
    QDateTime m_started;
    QList<std::pair<QString, std::shared_ptr<TreeSnapshot>>> m_before;
};

} // namespace kavr::test
