#pragma once
// kavr_journal_tool (journal_tool.cpp) run from a test: the program's own steps done by another
// process, which may be killed, hold a file, or run as another user.
#include <QProcess>
#include <QStringList>

#include <memory>

namespace kavr::test {

class JournalTool final
{
public:
    // The tool beside the test's own executable.
    static QString program();

    struct Result
    {
        bool ok = false;      // ended with status 0 and said "ready" where it says so
        QStringList lines;    // what it printed, "ready" left out
    };
    // Runs one step to its end; launcher (e.g. setpriv with a user's ids) goes before the tool.
    static Result run(const QStringList &args, const QStringList &launcher = {},
                      const QString &program = JournalTool::program());

    // Starts a step that holds a lock or a file, or waits for its cue; returns once it says it
    // is ready (ready() says whether it came). The destructor lets go and waits for the end.
    explicit JournalTool(const QStringList &args, const QStringList &launcher = {});
    ~JournalTool();
    JournalTool(const JournalTool &) = delete;
    JournalTool &operator=(const JournalTool &) = delete;
    bool ready() const { return m_ready; }
    // Closes the step's standard input: its cue to go on, or to let go. Returns at once.
    void go();
    // go(), then waits for the end: what the step printed after "ready".
    Result finish();

private:
    std::unique_ptr<QProcess> m_process;
    bool m_ready = false;
};

} // namespace kavr::test
