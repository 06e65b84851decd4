#include "PeerRun.h"

#include "ProcessMemory.h"
#include "StopProcess.h"
#include "TestScreens.h"
#include "harness/MonotonicTime.h"
#include "parameters/Figures.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kavr::bench {

using namespace harness;

namespace {

constexpr std::int64_t Second = 1'000'000'000;
const QRgb Marker = 0xFFFF00FF; // the page's top left corner, once its pictures are loaded

constexpr int MarkerSize = 16;

// The page's top left corner, from the marker square at the page's (0, 0). Measured from the
// square's bottom right corner: the browser may draw a line over the window's first column.
std::optional<QPoint> FindMarker(ScreenWatcher &watcher)
{
    const QImage screen = watcher.grab(QRect(QPoint(0, 0), watcher.screenSize()));
    auto marked = [&screen](int x, int y) {
        return x < screen.width() && y < screen.height() && screen.pixel(x, y) == Marker;
    };
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            if (marked(x, y) && marked(x + MarkerSize / 2, y + MarkerSize / 2)) {
                int right = x, bottom = y;
                while (marked(right + 1, y))
                    ++right;
                while (marked(x, bottom + 1))
                    ++bottom;
                return QPoint(right + 1 - MarkerSize, bottom + 1 - MarkerSize);
            }
    return std::nullopt;
}

} // namespace

PeerRun::PeerRun(ScreenWatcher &watcher, XInput &input, QString display, QString chromium,
                 QString peerFolder, QString workFolder)
    : m_watcher(watcher),
      m_input(input),
      m_display(std::move(display)),
      m_chromium(std::move(chromium)),
      m_peerFolder(std::move(peerFolder)),
      m_workFolder(std::move(workFolder))
{
}

PeerRun::~PeerRun()
{
    StopProcess(m_server);
}

bool PeerRun::start()
{
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_server.start(QStringLiteral("node"), {QDir(m_peerFolder).filePath(QStringLiteral("server.mjs")), m_peerFolder,
                                            QDir(m_workFolder).filePath(QStringLiteral("peer-data.json"))});
    if (!m_server.waitForStarted(5000) || !m_server.waitForReadyRead(10000)) {
        m_error = QStringLiteral("the peer's server (node) did not start");
        return false;
    }
    const QByteArray line = m_server.readLine().trimmed();
    m_port = line.startsWith("listening ") ? line.mid(10).toInt() : 0;
    if (m_port <= 0) {
        m_error = QStringLiteral("the peer's server said %1").arg(QString::fromUtf8(line));
        return false;
    }
    return true;
}

RunResult PeerRun::run(int index, bool placements)
{
    RunResult result;
    result.placements = placements;
    const QString dataFile = QDir(m_workFolder).filePath(QStringLiteral("peer-data.json"));
    QFile::remove(dataFile);
    QDir profile(QStringLiteral("%1/peer-profile-%2").arg(m_workFolder).arg(index));
    profile.removeRecursively();

    const QSize screen = m_watcher.screenSize();
    const QString url = QStringLiteral("http://127.0.0.1:%1/index.html?mode=%2")
                            .arg(m_port)
                            .arg(placements ? QStringLiteral("placements") : QStringLiteral("wait"));
    QProcess browser;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    browser.setProcessEnvironment(env);
    browser.setProcessChannelMode(QProcess::MergedChannels);
    browser.setStandardOutputFile(QDir(m_workFolder).filePath(QStringLiteral("chromium-%1.log").arg(index)));
    m_watcher.watchMaps();
    const std::int64_t spawned = MonotonicNs();
    browser.start(m_chromium, {QStringLiteral("--no-sandbox"), QStringLiteral("--disable-gpu"),
                               QStringLiteral("--disable-background-networking"), QStringLiteral("--disable-component-update"),
                               QStringLiteral("--disable-sync"), QStringLiteral("--no-first-run"),
                               QStringLiteral("--no-default-browser-check"), QStringLiteral("--password-store=basic"),
                               QStringLiteral("--disable-features=Translate"),
                               QStringLiteral("--force-device-scale-factor=1"), QStringLiteral("--kiosk"),
                               QStringLiteral("--window-position=0,0"),
                               QStringLiteral("--window-size=%1,%2").arg(screen.width()).arg(screen.height()),
                               QStringLiteral("--user-data-dir=%1").arg(profile.path()), url});
    auto fail = [&](const QString &why) {
        result.error = why + QStringLiteral(" (screen: peer-failure-%1.png)").arg(index);
        m_watcher.grab(QRect(QPoint(0, 0), screen)).save(QDir(m_workFolder).filePath(QStringLiteral("peer-failure-%1.png").arg(index)));
        StopProcess(browser);
        return result;
    };
    const auto mapped = m_watcher.waitForMappedWindow({400, 300}, spawned + 30 * Second);
    if (!mapped)
        return fail(QStringLiteral("the browser window was not mapped"));
    result.startupMs = ToMs(mapped->atNs - spawned);

    std::optional<QPoint> origin;
    for (int i = 0; i < 300 && !origin; ++i) {
        SleepForMs(100);
        origin = FindMarker(m_watcher);
    }
    if (!origin)
        return fail(QStringLiteral("the page did not show its marker"));
    TestScreens screens(m_watcher, m_input, *origin);
    SleepForMs(1000);
    m_input.moveTo(screens.at(QPoint(640, 700))); // the key goes to the window under the pointer

    const auto answerStart = screens.watchExposure("space", result);
    if (!answerStart)
        return fail(result.error);
    const auto [intervals, closing] = screens.runAnswerPhase(*answerStart, placements, false, result);
    if (!closing)
        return fail(result.error);
    result.peakRssMb = PeakRssOfTreeMb(browser.processId());

    QFile data(dataFile);
    for (int i = 0; i < 100 && !data.exists(); ++i)
        SleepForMs(50);
    SleepForMs(100);
    if (!data.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("jsPsych sent no data"));
    QList<double> recorded;
    const QJsonArray trials = QJsonDocument::fromJson(data.readAll()).array();
    for (const QJsonValue &trial : trials)
        if (trial.toObject().value(QStringLiteral("phase")).toString() == QLatin1String("placement"))
            recorded << trial.toObject().value(QStringLiteral("rt")).toDouble();
    if (placements) {
        if (recorded.size() != FigureCount)
            return fail(QStringLiteral("jsPsych recorded %1 placements").arg(recorded.size()));
        for (int i = 0; i < FigureCount; ++i)
            result.placementErrorsMs << recorded[i] - intervals[i];
        result.exactErrorsMs = result.placementErrorsMs;
    }
    StopProcess(browser);
    profile.removeRecursively();
    return result;
}

} // namespace kavr::bench
