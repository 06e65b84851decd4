#pragma once
// A run of the real program as the tests that drive it from outside see it, whichever system
// runs it: the Linux program under Xvfb (ProgramRun) or the Windows package under Wine
// (WineProgram). Both show their windows on the harness's X server and take its input; what
// differs besides starting and ending is how the operator reaches the about box (the window's
// context menu, the window's system menu) and how text is typed (X keys; Unicode input, as Wine
// makes nothing of X keys remapped to Cyrillic).
#include "harness/XInput.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

namespace kavr::harness {

class ProgramUnderTest
{
public:
    virtual ~ProgramUnderTest() = default;

    // Starts the program (again, after an end or a kill: the same folders) and waits for its
    // main window and its first paint; false when it did not come.
    virtual bool start() = 0;
    virtual bool running() const = 0;
    // Waits for the program to end; true when it ended by itself with exit code 0.
    virtual bool waitForCleanExit(int ms) = 0;
    // Ends the program's process at once, as a crash or the task manager would: nothing of the
    // program's own runs after it.
    virtual void kill() = 0;
    virtual QString exitDescription() const = 0;
    virtual QString standardError() const = 0;
    // The program's threads and their stacks, or why they cannot be had.
    virtual QString backtrace() const = 0;

    virtual QString resultDir() const = 0;
    // The names in the Result folder, hidden ones, links and FIFOs too.
    QStringList resultFiles() const;
    // Files made or changed since start() outside the Result folder, where the run can see them.
    virtual QStringList outsideWrites() const = 0;

    // The main window: its title, where its client area lies on the screen and how large it is.
    virtual QString mainTitle() const = 0;
    virtual QPoint origin() const = 0;
    virtual QSize clientSize() const = 0;
    QPoint at(QPoint client) const { return client + origin(); }
    QRect at(const QRect &client) const { return client.translated(origin()); }
    // A part of the client area as the screen shows it now.
    virtual QImage grab(const QRect &client) const = 0;
    // The screen as a PNG in folder, named name.png; the path, empty when folder is empty.
    virtual QString saveScreenshot(const QString &folder, const QString &name) const = 0;
    // The program's other windows now shown (the about box, menus, message boxes): their
    // client areas on the screen.
    virtual QList<TopLevel> otherWindows() const = 0;
    // Those titled "KAVR.IM" that are no menu.
    QList<TopLevel> messageBoxes() const;
    // What the title bar's close button asks for.
    virtual void requestClose() = 0;

    // The operator's hands where the systems differ: "О программе" chosen from the window's
    // menu, the about box's OK, text typed into the control that has the keyboard.
    virtual void chooseAbout() = 0;
    virtual void confirmAbout(const TopLevel &box) = 0;
    virtual void type(const QString &text) = 0;
};

} // namespace kavr::harness
