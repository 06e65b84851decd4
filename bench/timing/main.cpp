// The timing of the test measured from outside: the real program and a jsPsych page in
// Chromium under a private Xvfb, driven through XTest and watched by polling the screen.
//   bench_timing [--runs N] [--peer-runs N] [--program PATH] [--peer-folder DIR]
//                [--chromium PATH] [--work DIR]
//                [--windows-package ZIP --window-list EXE]   (the program under Wine)
//                [--planted-journals N]                      (an untidy shared Result)
//                [--busy N]                                  (N cores kept busy meanwhile)
//                [--priority granted|refused|both]           (the program's, default both)
// Runs alternate between one left to time out (answer time) and one with twelve placements;
// with both priorities, the program's runs go in pairs, one granted and one refused.
// Prints the machine, every run, and a Markdown table; exits 1 when the program missed a
// target, 2 when it could not measure.
#include "PeerRun.h"
#include "RealTime.h"
#include "TimedProgramRun.h"
#include "TimingTable.h"
#include "harness/ScreenWatcher.h"
#include "harness/WineSession.h"
#include "harness/XInput.h"
#include "harness/XvfbSession.h"
#include "parameters/Figures.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace kavr::bench;
using namespace kavr::harness;

namespace {

// The X server's and the watcher's real-time priority, in every mode and every run.
constexpr int DisplayPriority = 50;

// The program's priority as asked of a run and as its journal says (JournalPriority.h).
const QString Granted = QStringLiteral("granted");
const QString Refused = QStringLiteral("refused");

// Cores kept busy by processes of their own at the ordinary policy (the bench's real-time one
// is reset at the fork). Spinning in a forked child rather than running a program: nothing
// between the bench and the load can end it early unseen; stop() says if one ended anyway.
class BusyCores
{
public:
    explicit BusyCores(int count)
    {
        for (int i = 0; i < count; ++i) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::prctl(PR_SET_PDEATHSIG, SIGKILL);
                volatile unsigned long spin = 0;
                for (;;)
                    spin = spin + 1;
            }
            if (pid > 0)
                m_pids.push_back(pid);
        }
    }
    ~BusyCores() { stop(); }
    int count() const { return int(m_pids.size()); }
    // How many had ended before they were stopped.
    int stop()
    {
        int endedEarly = 0;
        for (const pid_t pid : m_pids) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid)
                ++endedEarly;
            else {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
            }
        }
        m_pids.clear();
        return endedEarly;
    }

private:
    std::vector<pid_t> m_pids;
};

QString ReadFirstLine(const QString &path, const QByteArray &prefix = {})
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith(prefix))
            return QString::fromUtf8(prefix.isEmpty() ? line : line.mid(line.indexOf(':') + 1)).trimmed();
    return {};
}

QString Output(const QString &program, const QStringList &args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(20000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString Machine(const QString &chromium, const QString &peerFolder)
{
    const QString jspsych = QJsonDocument::fromJson([&] {
        QFile file(QDir(peerFolder).filePath(QStringLiteral("node_modules/jspsych/package.json")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }()).object().value(QStringLiteral("version")).toString();
    return QStringLiteral("- CPU: %1, %2 logical cores; memory %3\n"
                          "- System: %4, kernel %5; Qt %6; Xvfb 1280x1024x24, no window manager\n"
                          "- Peer: %7, jsPsych %8, Node %9\n"
                          "- Load average at start: %10\n")
        .arg(ReadFirstLine(QStringLiteral("/proc/cpuinfo"), "model name"))
        .arg(QThread::idealThreadCount())
        .arg(ReadFirstLine(QStringLiteral("/proc/meminfo"), "MemTotal"))
        .arg(QSysInfo::prettyProductName(), QSysInfo::kernelVersion(), QString::fromLatin1(qVersion()))
        .arg(Output(chromium, {QStringLiteral("--version")}), jspsych.isEmpty() ? QStringLiteral("?") : jspsych,
             Output(QStringLiteral("node"), {QStringLiteral("--version")}))
        .arg(ReadFirstLine(QStringLiteral("/proc/loadavg")));
}

QString Describe(const QString &tool, int index, const RunResult &run)
{
    auto ms = [](std::optional<double> v) { return v ? QString::number(*v, 'f', 2) : QStringLiteral("—"); };
    QString text = QStringLiteral("%1 run %2 (%3): ")
                       .arg(tool)
                       .arg(index)
                       .arg(run.placements ? QStringLiteral("%1 placements").arg(kavr::FigureCount)
                                           : QStringLiteral("no placement"));
    if (!run.error.isEmpty())
        return text + QStringLiteral("FAILED: ") + run.error;
    text += QStringLiteral("start-up %1 ms, set-up %2 ms, key→figures %3 ms, exposure %4 ms")
                .arg(ms(run.startupMs), ms(run.prepareMs), ms(run.onsetMs), ms(run.exposureMs));
    if (run.answerMs)
        text += QStringLiteral(", answer %1 ms").arg(ms(run.answerMs));
    auto list = [](const QList<double> &values) {
        QStringList texts;
        for (double v : values)
            texts << QString::number(v, 'f', 1);
        return texts.join(QLatin1Char(' '));
    };
    if (!run.placementErrorsMs.isEmpty())
        text += QStringLiteral(", placement errors [%1] ms").arg(list(run.placementErrorsMs));
    if (!run.exactErrorsMs.isEmpty() && run.exactErrorsMs != run.placementErrorsMs)
        text += QStringLiteral(", exact [%1] ms").arg(list(run.exactErrorsMs));
    text += QStringLiteral(", peak RSS %1 MiB, widest bracket %2 ms")
                .arg(ms(run.peakRssMb), ms(run.widestBracketMs));
    if (!run.priority.isEmpty())
        text += QStringLiteral(", priority %1").arg(run.priority)
            + (run.priorityNote.isEmpty() ? QString()
                                          : QStringLiteral(" (%1)").arg(run.priorityNote));
    return text;
}

void Say(const QString &line)
{
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

void Trace(const RunResult &run)
{
    for (const auto &[what, ns] : run.events)
        Say(QStringLiteral("  %1 %2").arg(ns).arg(what));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Timing of the test measured outside the program, beside a jsPsych peer."));
    parser.addHelpOption();
    const QString here = QCoreApplication::applicationDirPath();
    const QCommandLineOption runsOption(
        QStringLiteral("runs"),
        QStringLiteral("Runs of the program per priority condition (default 2): with --priority "
                       "both, twice as many in all."),
        QStringLiteral("N"), QStringLiteral("2"));
    const QCommandLineOption peerRunsOption(QStringLiteral("peer-runs"), QStringLiteral("Runs of the peer (default: as --runs; 0: none)."), QStringLiteral("N"));
    const QCommandLineOption programOption(QStringLiteral("program"), QStringLiteral("The program."), QStringLiteral("PATH"), QDir(here).filePath(QStringLiteral("kavr-im")));
    const QCommandLineOption peerOption(QStringLiteral("peer-folder"), QStringLiteral("The peer's page with node_modules and pictures."), QStringLiteral("DIR"), QDir(here).filePath(QStringLiteral("bench-timing-peer")));
    const QCommandLineOption chromiumOption(QStringLiteral("chromium"), QStringLiteral("The browser."), QStringLiteral("PATH"), QStringLiteral("chromium"));
    const QCommandLineOption traceOption(QStringLiteral("trace"), QStringLiteral("Print every input and screen change on CLOCK_MONOTONIC (ns)."));
    const QCommandLineOption workOption(QStringLiteral("work"), QStringLiteral("Scratch folder (default: a new one beside the bench, not below the temporary folder)."), QStringLiteral("DIR"));
    const QCommandLineOption windowsOption(QStringLiteral("windows-package"), QStringLiteral("Time the Windows package under Wine instead of the program."), QStringLiteral("ZIP"));
    const QCommandLineOption windowListOption(QStringLiteral("window-list"), QStringLiteral("window-list.exe of the Windows build (with --windows-package)."), QStringLiteral("EXE"));
    const QCommandLineOption busyOption(QStringLiteral("busy"), QStringLiteral("Cores kept busy by other programs while the bench runs (default 0)."), QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption plantedOption(QStringLiteral("planted-journals"), QStringLiteral("Journals, live locks and planted names put into Result before each start (default 0)."), QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption priorityOption(
        QStringLiteral("priority"),
        QStringLiteral("The program's runs with the real-time priority it asks for granted, "
                       "refused by the system, or both (default; under Wine: as started)."),
        QStringLiteral("granted|refused|both"), QStringLiteral("both"));
    parser.addOptions({traceOption, runsOption, peerRunsOption, programOption, peerOption,
                       chromiumOption, workOption, windowsOption, windowListOption, plantedOption,
                       busyOption, priorityOption});
    parser.process(app);
    const QString priorityMode = parser.value(priorityOption);
    if (priorityMode != Granted && priorityMode != Refused
        && priorityMode != QLatin1String("both")) {
        Say(QStringLiteral("--priority takes granted, refused or both"));
        return 2;
    }

    const int runs = parser.value(runsOption).toInt();
    const int peerRuns = parser.isSet(peerRunsOption) ? parser.value(peerRunsOption).toInt() : runs;
    // Not below the temporary folder: the program refuses to test a subject from there.
    QTemporaryDir scratch(QDir(here).filePath(QStringLiteral("bench-timing-work-XXXXXX")));
    const QString work = parser.isSet(workOption) ? parser.value(workOption) : scratch.path();
    QDir().mkpath(work);

    // A machine whose cores other work keeps busy, at the ordinary priority the program has;
    // forked before anything the children could hold open.
    BusyCores busy(parser.value(busyOption).toInt());

    // The watcher and the X server wake on time however busy the program and the load keep
    // the two cores, the same in every run whatever priority the program was granted; what
    // the bench starts runs at the ordinary policy. Where this is not allowed, the brackets in
    // the table come out wider.
    const QString watcherRefused = SetRealTime(DisplayPriority);

    XvfbSession xvfb;
    if (!xvfb.start()) {
        Say(QStringLiteral("Xvfb did not start"));
        return 2;
    }
    const QString serverRefused = SetProcessRealTime(xvfb.processId(), DisplayPriority);
    ScreenWatcher watcher;
    XInput input;
    if (!watcher.open(xvfb.display()) || !input.open(xvfb.display())) {
        Say(watcher.errorString() + input.errorString());
        return 2;
    }

    const QString machine = Machine(parser.value(chromiumOption), parser.value(peerOption));
    auto policy = [](const QString &refused) {
        return refused.isEmpty()
            ? QStringLiteral("at real-time priority (SCHED_FIFO %1)").arg(DisplayPriority)
            : QStringLiteral("at normal priority (SCHED_FIFO %1 refused: %2)")
                  .arg(DisplayPriority)
                  .arg(refused);
    };
    std::printf("Machine:\n%s- Screen read through %s, watcher %s\n- X server %s\n\n",
                machine.toUtf8().constData(), watcher.usesSharedMemory() ? "MIT-SHM" : "XGetImage",
                qPrintable(policy(watcherRefused)), qPrintable(policy(serverRefused)));
    std::fflush(stdout);

    // Under Wine: the package unpacked as a lab does, in a Russian prefix of its own.
    std::unique_ptr<WineSession> wine;
    QString program = parser.value(programOption);
    if (parser.isSet(windowsOption)) {
        wine = std::make_unique<WineSession>(xvfb, work + QStringLiteral("/wine"), parser.value(windowListOption));
        QString why;
        if (!WineSession::unpack(parser.value(windowsOption), work + QStringLiteral("/lab")) || !wine->create(96, &why)) {
            Say(QStringLiteral("cannot set up Wine: ") + why);
            return 2;
        }
        program = work + QStringLiteral("/lab/KAVR.IM/kavr-im.exe");
        std::printf("- Program: %s under %s, virtual desktop\n\n", qPrintable(program),
                    qPrintable(Output(QStringLiteral("wine"), {QStringLiteral("--version")})));
    }

    if (busy.count() > 0)
        std::printf("- Cores kept busy by other processes: %d\n\n", busy.count());

    // The program's conditions, in the order each pair of runs takes them: whether the system
    // refuses it the priority it asks for. Wine's program cannot be refused it from here.
    QList<bool> refusals;
    if (wine) {
        refusals << false;
        std::printf("- Program's priority: as started (under Wine there is no refused mode)\n\n");
    } else {
        if (priorityMode != Refused)
            refusals << false;
        if (priorityMode != Granted)
            refusals << true;
        std::printf("- Program's priority: %s, runs per condition: %d\n\n",
                    refusals.size() == 2 ? "granted and refused" : qPrintable(priorityMode), runs);
    }
    std::fflush(stdout);

    TimingTable table(wine != nullptr);
    TimedProgramRun timed = wine ? TimedProgramRun(xvfb, watcher, input, *wine, program, work)
                                 : TimedProgramRun(xvfb, watcher, input, program, work);
    timed.setPlantedJournals(parser.value(plantedOption).toInt());
    PeerRun peer(watcher, input, xvfb.display(), parser.value(chromiumOption), parser.value(peerOption), work);
    if (peerRuns > 0 && !peer.start()) {
        Say(peer.errorString());
        return 2;
    }
    // Interleaved, so that a slow spell of a shared machine falls on every column.
    int programRun = 0;
    QStringList mislabelled;
    for (int i = 1; i <= std::max(runs, peerRuns); ++i) {
        const bool placements = i % 2 == 0;
        for (const bool refuse : i <= runs ? refusals : QList<bool>()) {
            timed.refuseRealTime(refuse);
            RunResult run = timed.run(++programRun, placements);
            const QString asked = refuse ? Refused : Granted;
            Say(Describe(wine ? QStringLiteral("KAVR.IM")
                              : QStringLiteral("KAVR.IM, priority ") + asked,
                         programRun, run));
            if (parser.isSet(traceOption))
                Trace(run);
            // A run the system treated otherwise than asked would be counted in the wrong column.
            if (!wine && run.error.isEmpty() && run.priority == (refuse ? Granted : Refused)) {
                run.error = QStringLiteral(
                                "started to be %1 the priority, its journal says %2 (%3)")
                                .arg(asked, run.priority, run.priorityNote);
                mislabelled << QStringLiteral("KAVR.IM run %1 %2").arg(programRun).arg(run.error);
                Say(QStringLiteral("  MISLABELLED: ") + run.error);
            }
            table.addProgram(run,
                             refuse ? TimingTable::Column::Refused : TimingTable::Column::Granted);
        }
        if (i <= peerRuns) {
            const RunResult run = peer.run(i, placements);
            Say(Describe(QStringLiteral("peer"), i, run));
            if (parser.isSet(traceOption))
                Trace(run);
            table.addPeer(run);
        }
    }

    std::printf("%s\nLoad average at the end: %s\n", table.markdown().toUtf8().constData(),
                ReadFirstLine(QStringLiteral("/proc/loadavg")).toUtf8().constData());
    const int endedEarly = busy.stop();
    if (endedEarly > 0)
        std::printf("%d of the processes keeping cores busy ended before the runs did\n", endedEarly);
    for (const QString &line : mislabelled)
        std::printf("Mislabelled: %s\n", line.toUtf8().constData());
    if (endedEarly > 0 || !mislabelled.isEmpty())
        return 2;
    const QStringList missed = table.missedTargets();
    for (const QString &line : missed)
        std::printf("Missed: %s\n", line.toUtf8().constData());
    return missed.isEmpty() ? 0 : 1;
}
