#pragma once
// The Windows package under Wine on the harness's X server, as a lab machine would run it: a
// fresh prefix of its own in Russian (Wine takes the locale, the ANSI code page and the
// regional settings from the C library's, compiled into the prefix's folder), a virtual
// desktop the size of the screen (so windows have their frames and system menus), Wine's own
// fonts and Liberation in place of Arial, Times New Roman and Courier New.
//
// What X cannot tell of the Windows desktop (where a client area lies, which window owns
// which, the DPI) comes from window-list.exe run in the same session; it also types text as
// Unicode input: Wine makes nothing of X keys remapped to Cyrillic keysyms.
#include <QProcess>
#include <QRect>
#include <QString>

#include <memory>
#include <optional>

namespace kavr::harness {

class XvfbSession;

struct WinWindow
{
    quint64 handle = 0;
    quint64 owner = 0;
    QString className;
    QString title;
    QRect frame;
    QRect client; // on the screen, physical pixels
    int dpi = 0;
    quint32 processId = 0; // Windows' id of the process that made the window
};

class WineSession final
{
public:
    // root: a folder of the caller's for the prefix and the locale; windowList: window-list.exe.
    WineSession(const XvfbSession &server, const QString &root, const QString &windowList);
    // Ends every process of the prefix.
    ~WineSession();
    WineSession(const WineSession &) = delete;
    WineSession &operator=(const WineSession &) = delete;

    // Makes the prefix, at logPixels DPI; false, with why, when a step failed.
    bool create(int logPixels, QString *why);
    // Another DPI: the session ends first (Wine reads it when a session starts).
    bool setDpi(int logPixels, QString *why);

    // Unpacks zip into folder (made when missing); false when it failed.
    static bool unpack(const QString &zip, const QString &folder);
    // The path through drive Z:, Wine's view of the whole file system.
    static QString windowsPath(const QString &path);
    // The path as Windows programs of the session name it: on drive C: inside the prefix's
    // drive_c, else on drive Z:.
    QString dosPath(const QString &path) const;
    // The Linux path of a path on drive C: or Z:; empty for any other.
    QString unixPath(const QString &dosPath) const;
    // The prefix's user profile (%USERPROFILE%) and temporary folder (%TEMP%), as Linux paths.
    QString profileFolder() const;
    QString temporaryFolder() const;

    // Starts exe in its own folder, as a double click would; false when wine did not start.
    bool launch(const QString &exe);
    // The Linux process that is the program under Wine.
    qint64 processId() const { return m_program.processId(); }
    bool programRunning() const { return m_program.state() != QProcess::NotRunning; }
    // Waits up to ms for the program to end; its exit code when it ended by itself.
    std::optional<int> waitForProgramExit(int ms);
    // Kills the program only: the desktop and the rest of the session go on.
    void endProgram();
    // What the program and Wine wrote to the standard streams.
    QString programOutput();

    // Runs a Windows program of the session (arguments as to wine: the program, then its
    // own) to its end within ms; its exit code, -1 when it did not end by itself. output, when
    // given, takes what it wrote.
    int runProgram(const QStringList &wineArguments, int ms, QString *output = nullptr) const;
    // Starts one that runs on (a program holding a file); the caller ends it.
    std::unique_ptr<QProcess> startProgram(const QStringList &wineArguments) const;

    // The visible top-level windows, top first.
    QList<WinWindow> windows() const;
    // The program's main window: the unowned window of a Qt class titled "KAVR.IM…".
    std::optional<WinWindow> mainWindow() const;
    // Waits for it up to ms.
    std::optional<WinWindow> waitForMainWindow(int ms) const;
    // A visible window owned by owner and titled title.
    std::optional<WinWindow> ownedBy(quint64 owner, const QString &title) const;
    // Types text into the window that has the keyboard.
    void type(const QString &text) const;
    // What the title bar's close button asks of window.
    void close(quint64 window) const;
    // The clipboard's text: what Ctrl+C copied of a message box, for one.
    QString clipboardText() const;
    // Runs a command line in a console of its own, as a command prompt would; then what the
    // console shows: "code page N", "exit N" and the screen's lines, or "no console" where
    // Wine made none.
    QStringList inConsole(const QString &commandLine) const;

    // Ends every process of the prefix.
    void stop();

private:
    QByteArray windowList(const QStringList &arguments) const;
    bool run(const QStringList &command, int ms, QString *why) const;
    bool writeSettings(int logPixels, QString *why);

    QString environmentFolder(const QString &variable) const;

    QString m_root;
    QString m_windowList;
    QSize m_desktop;
    QProcessEnvironment m_env;
    QProcess m_program;
};

} // namespace kavr::harness
