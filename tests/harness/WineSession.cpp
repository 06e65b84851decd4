#include "harness/WineSession.h"

#include "harness/XvfbSession.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

namespace kavr::harness {

using namespace Qt::StringLiterals;

namespace {

QRect ParseRect(const QString &text)
{
    const QStringList n = text.split(u' ');
    return n.size() == 4 ? QRect(n[0].toInt(), n[1].toInt(), n[2].toInt(), n[3].toInt()) : QRect();
}

} // namespace

WineSession::WineSession(const XvfbSession &server, const QString &root, const QString &windowList)
    : m_root(root),
      m_windowList(windowList),
      m_desktop(server.screenSize()),
      m_env(server.environment())
{
    m_env.insert(u"WINEPREFIX"_s, root + u"/prefix"_s);
    m_env.insert(u"WINEDEBUG"_s, u"-all"_s);
    m_env.insert(u"WINEDLLOVERRIDES"_s, u"mscoree,mshtml="_s); // no Mono or Gecko offered
    m_env.insert(u"LOCPATH"_s, root + u"/locale"_s);
    m_env.insert(u"LC_ALL"_s, u"ru_RU.UTF-8"_s);
}

WineSession::~WineSession()
{
    stop();
}

bool WineSession::create(int logPixels, QString *why)
{
    QDir().mkpath(m_root + u"/locale"_s);
    if (!run({u"localedef"_s, u"-i"_s, u"ru_RU"_s, u"-f"_s, u"UTF-8"_s, m_root + u"/locale/ru_RU.UTF-8"_s}, 60'000, why)
        || !run({u"wineboot"_s, u"-i"_s}, 180'000, why))
        return false;
    // Debian keeps Wine's own fonts (Tahoma, Marlett for the frame's buttons, MS Sans Serif)
    // outside the prefix, where Wine does not look.
    const QString fonts = m_root + u"/prefix/drive_c/windows/Fonts"_s;
    for (const QFileInfo &font : QDir(u"/usr/share/wine/fonts"_s).entryInfoList(QDir::Files))
        QFile::copy(font.absoluteFilePath(), fonts + u'/' + font.fileName());
    return writeSettings(logPixels, why);
}

bool WineSession::setDpi(int logPixels, QString *why)
{
    stop();
    return writeSettings(logPixels, why);
}

bool WineSession::writeSettings(int logPixels, QString *why)
{
    const QString reg = u"REGEDIT4\n"
                        "\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"LogPixels\"=dword:%1\n"
                        "\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n\"Desktop\"=\"Default\"\n"
                        "\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n\"Default\"=\"%2x%3\"\n"
                        "\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\n"
                        "\"Arial\"=\"Liberation Sans\"\n\"Times New Roman\"=\"Liberation Serif\"\n"
                        "\"Courier New\"=\"Liberation Mono\"\n"_s
                            .arg(logPixels, 8, 16, QLatin1Char('0'))
                            .arg(m_desktop.width())
                            .arg(m_desktop.height());
    const QString file = m_root + u"/settings.reg"_s;
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(reg.toLatin1()) != reg.size()) {
        *why = u"cannot write "_s + file;
        return false;
    }
    out.close();
    stop();
    return run({u"wine"_s, u"regedit"_s, u"/S"_s, windowsPath(file)}, 60'000, why)
        && run({u"wineserver"_s, u"-w"_s}, 60'000, why);
}

bool WineSession::unpack(const QString &zip, const QString &folder)
{
    QDir().mkpath(folder);
    QProcess tar;
    tar.setWorkingDirectory(folder);
    tar.start(u"cmake"_s, {u"-E"_s, u"tar"_s, u"xf"_s, QFileInfo(zip).absoluteFilePath()});
    return tar.waitForFinished(60'000) && tar.exitStatus() == QProcess::NormalExit && tar.exitCode() == 0;
}

QString WineSession::windowsPath(const QString &path)
{
    return u"Z:"_s + QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString WineSession::dosPath(const QString &path) const
{
    const QString drive = QDir::cleanPath(m_root + u"/prefix/drive_c"_s);
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const bool onC = absolute == drive || absolute.startsWith(drive + u'/');
    return QString(onC ? u"C:"_s + absolute.mid(drive.size()) : u"Z:"_s + absolute).replace(u'/', u'\\');
}

QString WineSession::unixPath(const QString &dosPath) const
{
    const QString rest = dosPath.mid(2).replace(u'\\', u'/');
    if (dosPath.startsWith(u"C:"_s, Qt::CaseInsensitive))
        return QDir::cleanPath(m_root + u"/prefix/drive_c/"_s + rest);
    if (dosPath.startsWith(u"Z:"_s, Qt::CaseInsensitive))
        return QDir::cleanPath(u"/"_s + rest);
    return {};
}

QString WineSession::environmentFolder(const QString &variable) const
{
    QString shown;
    runProgram({u"cmd"_s, u"/c"_s, u"echo"_s, u'%' + variable + u'%'}, 30'000, &shown);
    return unixPath(shown.trimmed());
}

QString WineSession::profileFolder() const
{
    return environmentFolder(u"USERPROFILE"_s);
}

QString WineSession::temporaryFolder() const
{
    return environmentFolder(u"TEMP"_s);
}

bool WineSession::launch(const QString &exe)
{
    m_program.setProcessEnvironment(m_env);
    m_program.setWorkingDirectory(QFileInfo(exe).absolutePath());
    m_program.setProcessChannelMode(QProcess::MergedChannels);
    m_program.start(u"wine"_s, {dosPath(exe)});
    return m_program.waitForStarted(10'000);
}

std::optional<int> WineSession::waitForProgramExit(int ms)
{
    if (programRunning() && !m_program.waitForFinished(ms))
        return std::nullopt;
    if (m_program.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return m_program.exitCode();
}

int WineSession::runProgram(const QStringList &wineArguments, int ms, QString *output) const
{
    QProcess p;
    p.setProcessEnvironment(m_env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(u"wine"_s, wineArguments);
    const bool ended = p.waitForFinished(ms);
    if (output)
        *output = QString::fromUtf8(p.readAll());
    if (!ended) {
        p.kill();
        p.waitForFinished(5000);
        return -1;
    }
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

std::unique_ptr<QProcess> WineSession::startProgram(const QStringList &wineArguments) const
{
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(m_env);
    p->start(u"wine"_s, wineArguments);
    return p;
}

void WineSession::endProgram()
{
    if (m_program.state() != QProcess::NotRunning) {
        m_program.kill();
        m_program.waitForFinished(10'000);
    }
}

QString WineSession::programOutput()
{
    return QString::fromLocal8Bit(m_program.readAll());
}

QList<WinWindow> WineSession::windows() const
{
    QList<WinWindow> list;
    for (const QString &line : QString::fromUtf8(windowList({u"windows"_s})).split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split(u'\t');
        if (f.size() >= 7)
            list << WinWindow{f[0].toULongLong(), f[1].toULongLong(), f[2], f[3], ParseRect(f[4]),
                              ParseRect(f[5]), f[6].trimmed().toInt(), f.value(7).trimmed().toUInt()};
    }
    return list;
}

std::optional<WinWindow> WineSession::mainWindow() const
{
    for (const WinWindow &w : windows())
        if (w.owner == 0 && w.className.startsWith(u"Qt"_s) && w.title.startsWith(u"KAVR.IM"_s))
            return w;
    return std::nullopt;
}

std::optional<WinWindow> WineSession::waitForMainWindow(int ms) const
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (const auto main = mainWindow())
            return main;
        if (clock.elapsed() > ms)
            return std::nullopt;
        QThread::msleep(300);
    }
}

std::optional<WinWindow> WineSession::ownedBy(quint64 owner, const QString &title) const
{
    for (const WinWindow &w : windows())
        if (w.owner == owner && w.title == title)
            return w;
    return std::nullopt;
}

void WineSession::type(const QString &text) const
{
    windowList({u"type"_s, text});
}

void WineSession::close(quint64 window) const
{
    windowList({u"close"_s, QString::number(window)});
}

QString WineSession::clipboardText() const
{
    return QString::fromUtf8(windowList({u"clipboard"_s}));
}

QStringList WineSession::inConsole(const QString &commandLine) const
{
    QString shown = QString::fromUtf8(windowList({u"console"_s, commandLine}));
    if (shown.endsWith(u'\n'))
        shown.chop(1);
    return shown.split(u'\n');
}

void WineSession::stop()
{
    QString ignored;
    run({u"wineserver"_s, u"-k"_s}, 30'000, &ignored);
    endProgram(); // gone with the session as a rule
}

QByteArray WineSession::windowList(const QStringList &arguments) const
{
    QProcess p;
    p.setProcessEnvironment(m_env);
    p.start(u"wine"_s, QStringList{windowsPath(m_windowList)} + arguments);
    p.waitForFinished(30'000);
    return p.readAllStandardOutput();
}

bool WineSession::run(const QStringList &command, int ms, QString *why) const
{
    QProcess p;
    p.setProcessEnvironment(m_env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(command.first(), command.mid(1));
    if (p.waitForFinished(ms) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return true;
    *why = command.join(u' ') + u" failed: "_s + QString::fromLocal8Bit(p.readAll());
    return false;
}

} // namespace kavr::harness
