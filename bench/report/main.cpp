// bench_report: kavr-im-report on a large folder of generated protocols. Writes N protocols
// (default 10 000) with the program's own builders into a scratch Result folder, then runs the
// report for each of its outputs, several times each, and prints the median wall and CPU times,
// the peak resident memory and the size of what was written; then the report's window, from
// its start to its table filled. Exits 1 when a run failed.
//
//   bench_report [--protocols N] [--runs N] [--keep DIR]
#include "MeasuredRun.h"
#include "SimulatedTest.h"
#include "WindowRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace kavr::bench;

namespace {

struct Output
{
    const char *what;
    QStringList arguments; // after the folder; %1 is the scratch folder
    QString written; // file or folder measured, relative to the scratch folder
};

qint64 SizeOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isDir())
        return info.size();
    qint64 total = 0;
    QDirIterator it(path, QDir::Files);
    while (it.hasNext())
        total += QFileInfo(it.next()).size();
    return total;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && std::strcmp(argv[1], WindowChildOption) == 0)
        return WindowChild(argc, argv);
    QCoreApplication app(argc, argv);
    int protocols = 10000;
    int runs = 3;
    QString keep;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == QStringLiteral("--protocols"))
            protocols = args.at(i + 1).toInt();
        else if (args.at(i) == QStringLiteral("--runs"))
            runs = args.at(i + 1).toInt();
        else if (args.at(i) == QStringLiteral("--keep"))
            keep = args.at(i + 1);
    }
    if (protocols < 1 || runs < 1) {
        std::fprintf(stderr, "usage: bench_report [--protocols N] [--runs N] [--keep DIR]\n");
        return 2;
    }

    QTemporaryDir scratch;
    const QString base = keep.isEmpty() ? scratch.path() : QDir(keep).absolutePath();
    const QString result = base + QStringLiteral("/Result");
    QDir().mkpath(result);
    QElapsedTimer generating;
    generating.start();
    for (int n = 0; n < protocols; ++n)
        WriteSimulatedTest(result, n);
    std::printf("%d protocols written in %.1f s into %s\n", protocols,
                generating.elapsed() / 1000.0, qPrintable(result));

    const QString report = QCoreApplication::applicationDirPath() + u'/' + QStringLiteral(KAVR_REPORT);
    const QList<Output> outputs = {
        {"CSV, one row per protocol (-o)",
         {QStringLiteral("-o"), base + QStringLiteral("/all.csv")},
         QStringLiteral("all.csv")},
        {"long CSV, one row per placement (--long)",
         {QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("--long"),
          base + QStringLiteral("/long.csv")},
         QStringLiteral("long.csv")},
        {"summary CSV (--summary)",
         {QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("--summary"),
          base + QStringLiteral("/summary.csv")},
         QStringLiteral("summary.csv")},
        {"workbook, the three tables (--xlsx)",
         {QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("--xlsx"),
          base + QStringLiteral("/all.xlsx")},
         QStringLiteral("all.xlsx")},
        {"HTML, group and table (--html)",
         {QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("--html"),
          base + QStringLiteral("/all.html")},
         QStringLiteral("all.html")},
        {"a page per subject (--pages)",
         {QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("--pages"),
          base + QStringLiteral("/pages")},
         QStringLiteral("pages")},
        {"all of them at once",
         {QStringLiteral("-o"), base + QStringLiteral("/all.csv"), QStringLiteral("--long"),
          base + QStringLiteral("/long.csv"), QStringLiteral("--summary"),
          base + QStringLiteral("/summary.csv"), QStringLiteral("--xlsx"),
          base + QStringLiteral("/all.xlsx"), QStringLiteral("--html"),
          base + QStringLiteral("/all.html"), QStringLiteral("--pages"),
          base + QStringLiteral("/pages")},
         QString()},
    };

    std::printf("\n| Output | Median wall time (s) | Median CPU time (s) | Peak RSS (MiB) | "
                "Written (MiB) |\n"
                "|---|---:|---:|---:|---:|\n");
    bool failed = false;
    for (const Output &output : outputs) {
        QList<double> times, cpuTimes;
        double peak = 0;
        for (int run = 0; run < runs; ++run) {
            const std::optional<Measured> m
                = MeasureRun(report, QStringList{result} + output.arguments,
                             base + QStringLiteral("/stdout.txt"), base + QStringLiteral("/stderr.txt"));
            if (!m || m->exitCode != 0) {
                std::fprintf(stderr, "%s: the report failed (exit %d), see %s/stderr.txt\n",
                             output.what, m ? m->exitCode : -1, qPrintable(base));
                failed = true;
                break;
            }
            times << m->seconds;
            cpuTimes << m->cpuSeconds;
            peak = std::max(peak, m->peakRssMb);
        }
        if (times.isEmpty())
            continue;
        std::sort(times.begin(), times.end());
        std::sort(cpuTimes.begin(), cpuTimes.end());
        const double written = output.written.isEmpty() ? 0 : SizeOf(base + u'/' + output.written) / 1048576.0;
        std::printf("| %s | %.2f | %.2f | %.1f | %s |\n", output.what, times.at(times.size() / 2),
                    cpuTimes.at(cpuTimes.size() / 2), peak,
                    output.written.isEmpty() ? "" : qPrintable(QString::number(written, 'f', 1)));
    }
    failed = !MeasureWindow(result, runs, base) || failed;
    return failed ? 1 : 0;
}
