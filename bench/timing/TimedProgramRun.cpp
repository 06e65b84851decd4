#include "TimedProgramRun.h"

#include "JournalPriority.h"
#include "KeptJournal.h"
#include "PlantedJournals.h"
#include "ProcessMemory.h"
#include "TestScreens.h"
#include "assets/PictureCatalogue.h"
#include "harness/FigureSet.h"
#include "harness/MonotonicTime.h"
#include "harness/ProgramRun.h"
#include "harness/ProtocolCheck.h"
#include "harness/ScreenMap.h"
#include "parameters/Figures.h"
#include "testing/BoardGeometry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <X11/keysym.h>

namespace kavr::bench {

using namespace harness;
using namespace harness::screen;

namespace {

constexpr std::int64_t Second = 1'000'000'000;
const QRgb ButtonFace = 0xFFF0F0F0;
const QRgb White = 0xFFFFFFFF;

} // namespace

TimedProgramRun::TimedProgramRun(const XvfbSession &server, ScreenWatcher &watcher, XInput &input,
                                 QString program, QString workFolder)
    : m_server(server),
      m_watcher(watcher),
      m_input(input),
      m_program(std::move(program)),
      m_workFolder(std::move(workFolder))
{
}

TimedProgramRun::TimedProgramRun(const XvfbSession &server, ScreenWatcher &watcher, XInput &input,
                                 WineSession &wine, QString exe, QString workFolder)
    : TimedProgramRun(server, watcher, input, std::move(exe), std::move(workFolder))
{
    m_wine = &wine;
}

bool TimedProgramRun::learnWineOrigin()
{
    if (!m_wineOrigin && m_wine->launch(m_program)) {
        if (const auto main = m_wine->waitForMainWindow(60'000))
            m_wineOrigin = main->client.topLeft();
        SleepForMs(1000);
        m_wine->endProgram();
    }
    return m_wineOrigin.has_value();
}

RunResult TimedProgramRun::run(int index, bool placements)
{
    RunResult result;
    result.placements = placements;
    const QString code = QStringLiteral("run%1").arg(index);
    ProgramRun process(m_server, m_input);
    std::int64_t spawned = 0;
    QPoint origin;
    QString resultDir;
    if (m_wine) {
        // Started in the running Wine desktop, as on a lab's Windows; up as soon as its window
        // is painted where the first start showed it.
        if (!learnWineOrigin()) {
            result.error = QStringLiteral("no main window of %1 under Wine: %2").arg(m_program, m_wine->programOutput());
            return result;
        }
        origin = *m_wineOrigin;
        resultDir = QFileInfo(m_program).absolutePath() + QStringLiteral("/Result");
        // The window of the run before must be gone from the screen, or its pixels would
        // pass for this one's.
        const QRect probe = QRect(MenuPoint, QSize(20, 20)).translated(origin);
        const ImageCondition painted = HasColour(ButtonFace, 400, 2);
        const ImageCondition gone = [painted](const QImage &image) { return !painted(image); };
        if (!m_watcher.waitFor({{QString(), probe, gone}}, MonotonicNs(), MonotonicNs() + 10 * Second)[0]) {
            result.error = QStringLiteral("the desktop still shows the window of the run before");
            return result;
        }
        spawned = MonotonicNs();
        if (!m_wine->launch(m_program)) {
            result.error = QStringLiteral("wine did not start");
            return result;
        }
    } else {
        if (!process.prepare(m_program, true, m_workFolder, ProgramRun::Session::Shared)) {
            result.error = QStringLiteral("cannot copy %1 into %2").arg(m_program, m_workFolder);
            return result;
        }
        if (!PlantJournals(process.resultDir(), m_plantedJournals)) {
            result.error = QStringLiteral("cannot plant journals in %1").arg(process.resultDir());
            return result;
        }
        m_watcher.watchMaps();
        process.refuseRealTime(m_refuseRealTime);
        if (!process.launch()) {
            result.error = QStringLiteral("the program did not start: %1").arg(process.standardError());
            return result;
        }
        spawned = process.launchedNs();
        const auto mapped = m_watcher.waitForMappedWindow({400, 300}, spawned + 20 * Second);
        if (!mapped) {
            result.error = QStringLiteral("the main window was not mapped");
            process.stop();
            return result;
        }
        result.startupMs = ToMs(mapped->atNs - spawned);
        origin = mapped->geometry.topLeft();
        resultDir = process.resultDir();
    }
    TestScreens screens(m_watcher, m_input, origin);

    auto stop = [&] {
        if (m_wine)
            m_wine->endProgram();
        else
            process.stop();
    };
    auto fail = [&](const QString &why) {
        result.error = why + QStringLiteral(" (screen: program-failure-%1.png)").arg(index);
        m_server.saveScreenshot(m_workFolder, QStringLiteral("program-failure-%1").arg(index));
        stop();
        return result;
    };
    auto waitUntil = [&](const QRect &area, const ImageCondition &condition, std::int64_t since, std::int64_t within) {
        return m_watcher.waitFor({{QString(), screens.at(area), condition}}, since, since + within)[0];
    };

    // Log-in: "О программе" from the context menu (under Wine: the system menu, from the
    // keyboard; the entry is its last item), the about box's OK by Enter.
    const auto painted = waitUntil(QRect(MenuPoint, QSize(20, 20)), HasColour(ButtonFace, 400, 2), spawned, 30 * Second);
    if (!painted)
        return fail(QStringLiteral("the window was never painted"));
    if (m_wine)
        result.startupMs = ToMs(painted->atNs() - spawned);
    SleepForMs(500);
    if (m_wine) {
        m_input.click(screens.at(Nowhere)); // the keyboard to this window, not the desktop
        SleepForMs(300);
        m_input.key(XK_space, XInput::Alt);
        SleepForMs(500);
        m_input.key("Up");
        m_input.key("Return");
        SleepForMs(800);
    } else {
        m_input.click(screens.at(MenuPoint), 3);
        SleepForMs(300);
        m_input.click(screens.at(MenuPoint + AboutItemOffset));
        SleepForMs(500);
    }
    m_input.key("Return");
    if (!waitUntil(CodeField.adjusted(10, 8, -10, -8), HasColour(White, 500, 2), MonotonicNs(), 5 * Second))
        return fail(QStringLiteral("the subject entry did not open"));

    // Subject entry, then Enter: the set-up builds the boards and paints the instruction.
    m_input.click(screens.at(CodeField.center()));
    m_input.type(code, 15);
    m_input.click(screens.at(NameField.center()));
    m_input.type(QStringLiteral("Bench B.B."), 15);
    SleepForMs(300);
    const std::int64_t entered = m_input.key("Return");
    const auto instruction = waitUntil(PaletteImageArea(1), ShowsOneOf(FigureSet(assets::PaletteBase).pictures()), entered, 10 * Second);
    if (!instruction)
        return fail(QStringLiteral("the instruction screen did not appear"));
    TestScreens::Note(*instruction, result);
    result.prepareMs = ToMs(instruction->atNs() - entered);
    result.events << std::pair(QStringLiteral("spawned"), spawned)
                  << std::pair(QStringLiteral("up"), spawned + std::int64_t(result.startupMs.value_or(0) * 1e6))
                  << std::pair(QStringLiteral("Return pressed"), entered)
                  << std::pair(QStringLiteral("instruction shown"), instruction->atNs());
    SleepForMs(1000);

    const auto answerStart = screens.watchExposure("F1", result);
    if (!answerStart)
        return fail(result.error);
    const JournalPriority priority = ReadJournalPriority(resultDir, code);
    result.priority = priority.state;
    result.priorityNote = priority.note;
    const QString kept = QDir(m_workFolder).filePath(QStringLiteral("kept-journal-%1").arg(index));
    const QString notKept = KeepJournal(priority.journal, kept);

    const auto [intervals, closing] = screens.runAnswerPhase(*answerStart, placements, true, result);
    if (!closing)
        return fail(result.error);
    result.peakRssMb = PeakRssMb(m_wine ? m_wine->processId() : process.processId());

    // The protocol is saved by the same handler that shows the closing message.
    const QString protocol = QDir(resultDir).filePath(code + QStringLiteral(".IM.txt"));
    for (int i = 0; i < 100 && !QFile::exists(protocol); ++i)
        SleepForMs(50);
    SleepForMs(100);
    const ProtocolReport read = ProtocolCheck::checkFile(protocol);
    if (!read.problems.isEmpty())
        return fail(read.problems.join(QStringLiteral("; ")));
    if (placements) {
        for (int i = 1; i <= FigureCount; ++i)
            result.placementErrorsMs << read.record->choices[i].Time * 1000.0 - intervals[i - 1];
        const std::optional<ChoiceTable> exact = notKept.isEmpty() ? ReadKeptChoices(kept)
                                                                   : std::nullopt;
        if (!exact)
            return fail(QStringLiteral("the journal's placements could not be read (%1)")
                            .arg(notKept.isEmpty() ? kept : notKept));
        for (int i = 1; i <= FigureCount; ++i)
            result.exactErrorsMs << (*exact)[i].Time * 1000.0 - intervals[i - 1];
    }
    QFile::remove(kept);
    stop();
    return result;
}

} // namespace kavr::bench
