#include "harness/ProgramRun.h"

#include "harness/MonotonicTime.h"
#include "harness/ScreenMap.h"
#include "harness/TreeSnapshot.h"
#include "harness/XvfbSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <csignal>
#include <grp.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavr::harness {

namespace {

// A user and group of this run alone, so that whatever they own was made by this program.
const uid_t ProgramUser = uid_t(40'000 + ::getpid() % 20'000);
const gid_t ProgramGroup = gid_t(ProgramUser);
const QString MainTitle = QStringLiteral("KAVR.IM");
// A system bus that is not there: RealtimeKit, reached through it, cannot grant anything.
const QString NoSystemBus = QStringLiteral("unix:path=/nonexistent/kavr-bench");

// Whether a user without rights of its own can reach path.
bool ReachableByAll(const QString &path)
{
    for (QFileInfo info(path); !info.isRoot(); info = QFileInfo(info.absolutePath())) {
        struct stat st {};
        if (::stat(QFile::encodeName(info.absoluteFilePath()).constData(), &st) != 0
            || !(st.st_mode & S_IXOTH))
            return false;
        if (info.absoluteFilePath() == QLatin1String("/"))
            break;
    }
    return true;
}

// In the child: the program dies with the test, even when the test is killed.
void DieWithTest()
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
}

void BecomeProgramUser()
{
    if (::setgroups(0, nullptr) != 0 || ::setgid(ProgramGroup) != 0 || ::setuid(ProgramUser) != 0)
        ::_exit(126);
    DieWithTest(); // after the change of user, which clears it
}

// In the child, before the change of user and the exec: no way left to a real-time policy of
// its own. Where a step is not allowed, the process lacked that way already (not root).
void GiveUpRealTime()
{
    ::prctl(PR_CAPBSET_DROP, CAP_SYS_NICE, 0, 0, 0);
    const rlimit none{0, 0};
    ::setrlimit(RLIMIT_RTPRIO, &none);
}

// Whether a child can take the program's user: not where user namespaces map only a few ids.
bool CanBecomeProgramUser()
{
    QProcess probe;
    probe.setChildProcessModifier(BecomeProgramUser);
    probe.start(QStringLiteral("true"), {});
    return probe.waitForFinished(10'000) && probe.exitStatus() == QProcess::NormalExit
        && probe.exitCode() == 0;
}

} // namespace

ProgramRun::ProgramRun(const XvfbSession &server, XInput &input)
    : m_server(server), m_input(input)
{
}

ProgramRun::~ProgramRun()
{
    kill();
}

QString ProgramRun::appDir() const { return m_root->filePath(QStringLiteral("app")); }
QString ProgramRun::resultDir() const { return m_root->filePath(QStringLiteral("app/Result")); }
QString ProgramRun::homeDir() const { return m_root->filePath(QStringLiteral("home")); }
QString ProgramRun::tmpDir() const { return m_root->filePath(QStringLiteral("tmp")); }

void ProgramRun::giveToProgram(const QString &path) const
{
    if (m_ownUser && ::chown(QFile::encodeName(path).constData(), ProgramUser, ProgramGroup) != 0)
        qWarning("chown %s failed", qPrintable(path));
}

bool ProgramRun::prepare(const QString &program, bool resultDir, const QString &parent, Session session)
{
    const QString folder = parent.isEmpty() ? QDir::tempPath() : parent;
    m_root = std::make_unique<QTemporaryDir>(folder + QStringLiteral("/kavr-run-XXXXXX"));
    if (!m_root->isValid())
        return false;
    m_session = session;
    m_ownUser = session == Session::Own && ::geteuid() == 0 && ReachableByAll(folder) && CanBecomeProgramUser();
    QFile::setPermissions(m_root->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                              | QFile::ReadGroup | QFile::ExeGroup
                                              | QFile::ReadOther | QFile::ExeOther);
    const QDir root(m_root->path());
    for (const char *dir : {"app", "home", "tmp", "runtime", "log"})
        if (!root.mkdir(QString::fromLatin1(dir)))
            return false;
    QFile::setPermissions(root.filePath(QStringLiteral("runtime")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString copy = root.filePath(QStringLiteral("app/kavr-im"));
    if (!QFile::copy(program, copy))
        return false;
    if (resultDir && !root.mkdir(QStringLiteral("app/Result")))
        return false;
    for (const char *path : {"app", "app/kavr-im", "app/Result", "home", "tmp", "runtime"})
        if (QFileInfo::exists(root.filePath(QString::fromLatin1(path))))
            giveToProgram(root.filePath(QString::fromLatin1(path)));
    return true;
}

bool ProgramRun::launch()
{
    const QDir root(m_root->path());
    QProcessEnvironment env = m_server.environment();
    if (m_session == Session::Own) {
        env.insert(QStringLiteral("HOME"), homeDir());
        env.insert(QStringLiteral("TMPDIR"), tmpDir());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root.filePath(QStringLiteral("runtime")));
        for (const char *name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME",
                                 "LANGUAGE", "SESSION_MANAGER"})
            env.remove(QString::fromLatin1(name));
    }
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("LC_ALL"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("LC_NUMERIC"), QStringLiteral("ru_RU.UTF-8"));
    env.insert(QStringLiteral("LC_TIME"), QStringLiteral("ru_RU.UTF-8"));
    if (m_refuseRealTime)
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), NoSystemBus);
    if (m_ownUser) {
        env.insert(QStringLiteral("USER"), QStringLiteral("kavr"));
        env.insert(QStringLiteral("LOGNAME"), QStringLiteral("kavr"));
    }
    m_process.setChildProcessModifier([refuse = m_refuseRealTime, ownUser = m_ownUser] {
        if (refuse)
            GiveUpRealTime();
        if (ownUser)
            BecomeProgramUser();
        else
            DieWithTest();
    });
    m_process.setProcessEnvironment(env);
    m_process.setWorkingDirectory(homeDir());
    m_process.setStandardOutputFile(root.filePath(QStringLiteral("log/stdout.txt")), QIODevice::Append);
    m_process.setStandardErrorFile(root.filePath(QStringLiteral("log/stderr.txt")), QIODevice::Append);

    m_before.clear();
    // The runtime folder is the session's: PulseAudio's client keeps its socket folder there.
    for (const QString &dir : {appDir(), homeDir(), tmpDir()})
        m_before.append({dir, std::make_shared<TreeSnapshot>(dir)});
    m_before.append({QStringLiteral("/tmp"), std::make_shared<TreeSnapshot>(QStringLiteral("/tmp"), false)});
    m_started = QDateTime::currentDateTime();

    m_window = 0;
    m_launchedNs = MonotonicNs();
    m_process.start(root.filePath(QStringLiteral("app/kavr-im")), {});
    return m_process.waitForStarted(10'000);
}

bool ProgramRun::start()
{
    if (!launch())
        return false;
    for (int i = 0; i < 200 && !m_window; ++i) {
        QTest::qWait(100);
        if (m_process.state() == QProcess::NotRunning)
            return false;
        for (const TopLevel &window : m_input.topLevels())
            if (window.name == MainTitle && !window.popup && window.geometry.width() >= 1000) {
                m_window = window.id;
                m_origin = window.geometry.topLeft();
                m_size = window.geometry.size();
            }
    }
    QTest::qWait(500); // the first paint
    return m_window != 0;
}

bool ProgramRun::running() const
{
    return m_process.state() != QProcess::NotRunning;
}

bool ProgramRun::waitForCleanExit(int ms)
{
    if (running() && !m_process.waitForFinished(ms))
        return false;
    return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
}

void ProgramRun::kill()
{
    if (running()) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

void ProgramRun::stop(int ms)
{
    if (!running())
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(ms))
        kill();
}

QImage ProgramRun::grab(const QRect &client) const
{
    return m_server.grab(at(client));
}

QImage ProgramRun::windowImage() const
{
    return m_window ? m_server.grab(QRect(m_origin, m_size)) : QImage();
}

QString ProgramRun::saveScreenshot(const QString &folder, const QString &name) const
{
    return m_server.saveScreenshot(folder, name);
}

QString ProgramRun::exitDescription() const
{
    if (running())
        return QStringLiteral("running");
    return m_process.exitStatus() == QProcess::CrashExit
        ? QStringLiteral("crashed (%1)").arg(m_process.error())
        : QStringLiteral("exited with code %1").arg(m_process.exitCode());
}

QString ProgramRun::standardError() const
{
    QFile file(QDir(m_root->path()).filePath(QStringLiteral("log/stderr.txt")));
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

QString ProgramRun::mainTitle() const
{
    for (const TopLevel &window : m_input.topLevels())
        if (window.id == m_window)
            return window.name;
    return {};
}

QString ProgramRun::backtrace() const
{
    if (!running())
        return QStringLiteral("(not running)");
    QProcess gdb;
    gdb.setProcessChannelMode(QProcess::MergedChannels);
    gdb.start(QStringLiteral("gdb"), {QStringLiteral("-p"), QString::number(m_process.processId()),
                                      QStringLiteral("-batch"), QStringLiteral("-ex"),
                                      QStringLiteral("thread apply all bt 30")});
    if (!gdb.waitForFinished(60'000))
        return QStringLiteral("(no gdb)");
    return QString::fromLocal8Bit(gdb.readAll());
}

QList<TopLevel> ProgramRun::otherWindows() const
{
    QList<TopLevel> windows;
    for (const TopLevel &window : m_input.topLevels())
        if (window.id != m_window && !window.name.isEmpty())
            windows << window;
    return windows;
}

void ProgramRun::requestClose()
{
    m_input.requestClose(m_window);
}

void ProgramRun::chooseAbout()
{
    const QPoint menuAt = at(screen::MenuPoint);
    m_input.click(menuAt, 3);
    QTest::qWait(400);
    m_input.click(menuAt + screen::AboutItemOffset);
    QTest::qWait(400);
}

void ProgramRun::confirmAbout(const TopLevel &box)
{
    m_input.click(box.geometry.topLeft() + screen::AboutOkOffset);
}

void ProgramRun::type(const QString &text)
{
    m_input.type(text, 10);
}

QStringList ProgramRun::outsideWrites() const
{
    QStringList found;
    for (const auto &[dir, before] : m_before) {
        const bool shared = dir == QLatin1String("/tmp");
        const QStringList changed = before->changedIn(TreeSnapshot(dir, !shared));
        for (const QString &path : changed) {
            if (dir == appDir() && (path == QLatin1String("Result") || path.startsWith(QLatin1String("Result/"))))
                continue;
            const QString full = QDir(dir).filePath(path);
            if (shared) {
                // Other programs share /tmp: with a user of its own the owner tells; else only
                // what the program would name after itself counts.
                if (m_ownUser || full == m_root->path())
                    continue;
                if (!path.contains(QLatin1String("kavr"), Qt::CaseInsensitive)
                    && !path.contains(QLatin1String(".IM.txt")))
                    continue;
            }
            found << full;
        }
    }
    if (m_ownUser) {
        QStringList arguments;
        for (const char *dir : {"/tmp", "/var/tmp", "/dev/shm", "/run/lock"})
            if (QFileInfo(QString::fromLatin1(dir)).isDir())
                arguments << QString::fromLatin1(dir);
        arguments << QStringLiteral("-xdev") << QStringLiteral("-path") << m_root->path()
                  << QStringLiteral("-prune") << QStringLiteral("-o") << QStringLiteral("-user")
                  << QString::number(ProgramUser) << QStringLiteral("-newermt")
                  << QStringLiteral("@%1").arg(m_started.toSecsSinceEpoch() - 1) << QStringLiteral("-print");
        QProcess find;
        find.start(QStringLiteral("find"), arguments);
        find.waitForFinished(120'000);
        for (const QByteArray &line : find.readAllStandardOutput().split('\n'))
            if (!line.isEmpty())
                found << QFile::decodeName(line);
    }
    return found;
}

} // namespace kavr::harness
