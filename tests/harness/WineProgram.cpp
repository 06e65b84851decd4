#include "harness/WineProgram.h"

#include "harness/ScreenMap.h"
#include "harness/TreeSnapshot.h"
#include "harness/XvfbSession.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <X11/keysym.h>
#include <functional>

namespace kavr::harness {

using namespace Qt::StringLiterals;

namespace {

TopLevel AsTopLevel(const WinWindow &window)
{
    // Menus (Wine's own, class #32768) and Qt's drop-down windows are popups.
    const bool popup = window.className == u"#32768"_s || window.className.contains(u"Popup"_s);
    return TopLevel{static_cast<unsigned long>(window.handle), window.title, window.client, popup};
}

bool WaitUntil(const std::function<bool()> &done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QTest::qWait(50);
    }
    return true;
}

} // namespace

WineProgram::WineProgram(const XvfbSession &server, XInput &input, WineSession &wine, QString exe)
    : m_server(server), m_input(input), m_wine(wine), m_exe(std::move(exe))
{
}

WineProgram::~WineProgram()
{
    kill();
}

QString WineProgram::appDir() const
{
    return QFileInfo(m_exe).absolutePath();
}

QString WineProgram::resultDir() const
{
    return appDir() + u"/Result"_s;
}

QList<WinWindow> WineProgram::windows() const
{
    if (!m_windowsRead.isValid() || m_windowsRead.elapsed() >= 100) {
        m_windows = m_wine.windows();
        m_windowsRead.start();
    }
    return m_windows;
}

bool WineProgram::start()
{
    m_before.clear();
    if (m_profile.isEmpty())
        m_profile = m_wine.profileFolder();
    for (const QString &dir : {appDir(), m_profile})
        if (!dir.isEmpty())
            m_before.append({dir, std::make_shared<TreeSnapshot>(dir)});
    m_window = 0;
    m_processId = 0;
    m_exitCode = -1;
    if (!m_wine.launch(m_exe))
        return false;
    if (m_sessionEnded) {
        // The session begins with this program, which is to have its first process id: nothing
        // else of Wine's may start before it has one. It has one once the session's desktop
        // shows, which the program's first window starts.
        m_sessionEnded = false;
        if (!WaitUntil([this] { return !m_input.topLevels().isEmpty(); }, 60'000))
            return false;
    }
    const std::optional<WinWindow> main = m_wine.waitForMainWindow(60'000);
    if (!main)
        return false;
    m_window = main->handle;
    m_processId = main->processId;
    m_origin = main->client.topLeft();
    m_size = main->client.size();
    m_windowsRead.invalidate();
    QTest::qWait(1000); // its first paint
    return true;
}

bool WineProgram::running() const
{
    return m_wine.programRunning();
}

bool WineProgram::waitForCleanExit(int ms)
{
    const std::optional<int> code = m_wine.waitForProgramExit(ms);
    if (code)
        m_exitCode = *code;
    return code == 0;
}

void WineProgram::kill()
{
    m_wine.endProgram();
}

void WineProgram::endSession()
{
    m_wine.stop();
    // Its windows go with its processes.
    WaitUntil([this] { return m_input.topLevels().isEmpty(); }, 10'000);
    m_sessionEnded = true;
}

QString WineProgram::exitDescription() const
{
    if (running())
        return u"running"_s;
    return m_exitCode >= 0 ? u"exited with code %1"_s.arg(m_exitCode) : u"killed or crashed"_s;
}

QString WineProgram::standardError() const
{
    m_output += m_wine.programOutput();
    return m_output;
}

QString WineProgram::backtrace() const
{
    return u"(no stacks of a program under Wine)"_s;
}

QStringList WineProgram::outsideWrites() const
{
    QStringList found;
    const QString result = QDir::cleanPath(resultDir());
    for (const auto &[dir, before] : m_before) {
        for (const QString &path : before->changedIn(TreeSnapshot(dir))) {
            const QString full = QDir::cleanPath(QDir(dir).filePath(path));
            if (full != result && !full.startsWith(result + u'/'))
                found << full;
        }
    }
    found.removeDuplicates(); // the package may lie in the profile
    return found;
}

QString WineProgram::mainTitle() const
{
    for (const WinWindow &w : windows())
        if (w.handle == m_window)
            return w.title;
    return {};
}

QImage WineProgram::grab(const QRect &client) const
{
    return m_server.grab(at(client));
}

QString WineProgram::saveScreenshot(const QString &folder, const QString &name) const
{
    return m_server.saveScreenshot(folder, name);
}

QList<TopLevel> WineProgram::otherWindows() const
{
    QList<TopLevel> others;
    for (const WinWindow &w : windows())
        if (w.processId == m_processId && w.handle != m_window)
            others << AsTopLevel(w);
    return others;
}

void WineProgram::requestClose()
{
    m_wine.close(m_window);
}

void WineProgram::chooseAbout()
{
    // Nothing but a click gives the window the keyboard; then the system menu, its last item.
    m_input.click(at(screen::Nowhere));
    QTest::qWait(300);
    m_input.key(XK_space, XInput::Alt);
    QTest::qWait(500);
    m_input.key(XK_Up);
    m_input.key(XK_Return);
    m_windowsRead.invalidate();
}

namespace {

// A point inside a box's client area that holds no control: a click there gives it the keyboard.
QPoint MarginOf(const TopLevel &box)
{
    return box.geometry.topLeft() + QPoint(3, 3);
}

} // namespace

void WineProgram::confirmAbout(const TopLevel &box)
{
    m_input.click(MarginOf(box));
    QTest::qWait(300);
    m_input.key(XK_Return);
    m_windowsRead.invalidate();
}

void WineProgram::type(const QString &text)
{
    m_wine.type(text);
}

QString WineProgram::messageText(const TopLevel &box)
{
    m_input.click(MarginOf(box));
    QTest::qWait(300);
    m_input.key(XK_c, XInput::Control);
    QTest::qWait(300);
    return m_wine.clipboardText().remove(u'\r');
}

} // namespace kavr::harness
