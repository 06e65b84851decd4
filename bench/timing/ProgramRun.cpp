#include "ProgramRun.h"

#include "BoardAreas.h"
#include "MonotonicTime.h"
#include "ProcessMemory.h"
#include "StopProcess.h"
#include "ProtocolTimes.h"
#include "TestScreens.h"
#include "assets/JpegDecoder.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace kavr::bench {

namespace {

constexpr std::int64_t Second = 1'000'000'000;
const QRgb ButtonFace = 0xFFF0F0F0;
const QRgb White = 0xFFFFFFFF;

QList<QImage> PalettePictures()
{
    QList<QImage> pictures;
    for (int n = 1013; n <= 1024; ++n)
        pictures << assets::LoadPicture(n);
    return pictures;
}

} // namespace

ProgramRun::ProgramRun(ScreenWatcher &watcher, InputDriver &input, QString display, QString program,
                       QString workFolder)
    : m_watcher(watcher),
      m_input(input),
      m_display(std::move(display)),
      m_program(std::move(program)),
      m_workFolder(std::move(workFolder))
{
}

RunResult ProgramRun::run(int index, bool placements)
{
    RunResult result;
    result.placements = placements;
    QDir folder(QStringLiteral("%1/program-%2").arg(m_workFolder).arg(index));
    folder.removeRecursively();
    QDir().mkpath(folder.path());
    const QString copy = folder.filePath(QStringLiteral("kavr-im"));
    if (!QFile::copy(m_program, copy)) {
        result.error = QStringLiteral("cannot copy %1").arg(m_program);
        return result;
    }

    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("LC_ALL"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());

    m_watcher.watchMaps();
    const std::int64_t spawned = MonotonicNs();
    process.start(copy, {});
    const auto mapped = m_watcher.waitForMappedWindow({400, 300}, spawned + 20 * Second);
    if (!mapped) {
        result.error = QStringLiteral("the main window was not mapped");
        StopProcess(process);
        return result;
    }
    result.startupMs = ToMs(mapped->atNs - spawned);
    TestScreens screens(m_watcher, m_input, mapped->geometry.topLeft());

    auto fail = [&](const QString &why) {
        result.error = why + QStringLiteral(" (screen: program-failure-%1.png)").arg(index);
        m_watcher.grab(QRect(QPoint(0, 0), m_watcher.screenSize())).save(folder.filePath(QStringLiteral("../program-failure-%1.png").arg(index)));
        StopProcess(process);
        return result;
    };
    auto waitUntil = [&](const QRect &area, const ImageCondition &condition, std::int64_t since, std::int64_t within) {
        return m_watcher.waitFor({{QString(), screens.at(area), condition}}, since, since + within)[0];
    };

    // Log-in: "О программе" from the context menu, the about box's OK by Enter.
    if (!waitUntil(QRect(EmptyPoint, QSize(20, 20)), HasColour(ButtonFace, 400, 2), spawned, 10 * Second))
        return fail(QStringLiteral("the window was never painted"));
    SleepForMs(500);
    m_input.click(screens.at(EmptyPoint), 3);
    SleepForMs(300);
    m_input.click(screens.at(EmptyPoint + AboutItemOffset));
    SleepForMs(500);
    m_input.key("Return");
    if (!waitUntil(CodeFieldArea.adjusted(10, 8, -10, -8), HasColour(White, 500, 2), MonotonicNs(), 5 * Second))
        return fail(QStringLiteral("the subject entry did not open"));

    // Subject entry, then Enter: the set-up builds the boards and paints the instruction.
    m_input.click(screens.at(CodeFieldArea.center()));
    m_input.type(QStringLiteral("run%1").arg(index));
    m_input.click(screens.at(NameFieldArea.center()));
    m_input.type(QStringLiteral("Bench B.B."));
    SleepForMs(300);
    const std::int64_t entered = m_input.key("Return");
    const auto instruction = waitUntil(PaletteFigureArea, ShowsOneOf(PalettePictures()), entered, 10 * Second);
    if (!instruction)
        return fail(QStringLiteral("the instruction screen did not appear"));
    TestScreens::Note(*instruction, result);
    result.prepareMs = ToMs(instruction->atNs() - entered);
    result.events << std::pair(QStringLiteral("spawned"), spawned) << std::pair(QStringLiteral("mapped"), mapped->atNs)
                  << std::pair(QStringLiteral("Return pressed"), entered)
                  << std::pair(QStringLiteral("instruction shown"), instruction->atNs());
    SleepForMs(1000);

    const auto answerStart = screens.watchExposure("F1", result);
    if (!answerStart)
        return fail(result.error);

    const auto [intervals, closing] = screens.runAnswerPhase(*answerStart, placements, true, result);
    if (!closing)
        return fail(result.error);
    result.peakRssMb = PeakRssMb(process.processId());

    // The protocol is saved by the same handler that shows the closing message.
    QFile protocol(folder.filePath(QStringLiteral("Result/run%1.IM.txt").arg(index)));
    for (int i = 0; i < 100 && !protocol.exists(); ++i)
        SleepForMs(50);
    SleepForMs(100);
    if (!protocol.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("no protocol %1").arg(protocol.fileName()));
    QString why;
    const QList<double> printed = ProtocolTimes(protocol.readAll(), &why);
    if (printed.size() != 12)
        return fail(why);
    if (placements)
        for (int i = 0; i < 12; ++i)
            result.placementErrorsMs << printed[i] * 1000.0 - intervals[i];
    StopProcess(process);
    return result;
}

} // namespace kavr::bench
