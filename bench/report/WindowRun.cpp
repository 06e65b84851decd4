#include "WindowRun.h"

#include "MeasuredRun.h"
#include "report/command/ReportOptions.h"
#include "report/window/ReportWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressBar>
#include <QSet>

#include <algorithm>
#include <cstdio>

namespace kavr::bench {

int WindowChild(int argc, char *argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const report::OptionsOutcome parsed = report::ParseReportOptions(
        {QString::fromLocal8Bit(argv[2])}, QLocale::system(), QString());
    if (!parsed.options)
        return 2;
    report::ReportWindow window(*parsed.options, QStringLiteral("bench_report"));
    QSet<int> steps; // the bar's distinct values while the folder was read
    QObject::connect(window.findChild<QProgressBar *>(QStringLiteral("progress")),
                     &QProgressBar::valueChanged, [&](int value) { steps.insert(value); });
    QObject::connect(&window, &report::ReportWindow::folderRead, [&] {
        std::printf("table %.3f steps %d\n", sinceStart.elapsed() / 1000.0, int(steps.size()));
        std::fflush(stdout);
        QApplication::quit();
    });
    window.show();
    return app.exec();
}

bool MeasureWindow(const QString &folder, int runs, const QString &scratch)
{
    QList<double> shown;
    double peak = 0;
    int steps = 0;
    for (int run = 0; run < runs; ++run) {
        const QString out = scratch + QStringLiteral("/window.txt");
        const std::optional<Measured> m
            = MeasureRun(QCoreApplication::applicationFilePath(),
                         {QString::fromLatin1(WindowChildOption), folder}, out,
                         scratch + QStringLiteral("/stderr.txt"));
        QFile file(out);
        double seconds = 0;
        if (!m || m->exitCode != 0 || !file.open(QIODevice::ReadOnly)
            || std::sscanf(file.readAll().constData(), "table %lf steps %d", &seconds, &steps) != 2) {
            std::fprintf(stderr, "the window failed, see %s/stderr.txt\n", qPrintable(scratch));
            return false;
        }
        shown << seconds;
        peak = std::max(peak, m->peakRssMb);
    }
    std::sort(shown.begin(), shown.end());
    std::printf("| the window, from its start to the table filled (progress bar: %d values) | "
                "%.2f | | %.1f | |\n",
                steps, shown.at(shown.size() / 2), peak);
    return true;
}

} // namespace kavr::bench
