// kavr-im-report: the protocols of a Result folder side by side, as a CSV table for
// spreadsheets and, on request, an HTML summary. A program of its own: KAVR.IM itself reads
// no files.
#include "platform/Console.h"
#include "report/CsvReport.h"
#include "report/HtmlReport.h"
#include "report/ProgressLine.h"
#include "report/ProtocolReader.h"
#include "report/ReportOptions.h"
#include "report/ResultFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

using namespace kavr::report;

namespace {

enum ExitStatus { AllRead = 0, SomeSkipped = 1, UsageError = 2, NotWritten = 3 };

// Text for the user on stream: characters to a console, UTF-8 bytes to a file or a pipe.
bool Write(std::FILE *stream, const QByteArray &utf8)
{
    return kavr::platform::WriteText(stream, {utf8.constData(), size_t(utf8.size())});
}

void Say(const QString &text)
{
    Write(stderr, (QStringLiteral("kavr-im-report: ") + text + u'\n').toUtf8());
}

QString Shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The whole file or nothing: an earlier report stays as it was when writing fails.
bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        Say(QStringLiteral("cannot write %1: %2").arg(Shown(path), file.errorString()));
        return false;
    }
    return true;
}

bool WriteStdout(const QByteArray &bytes)
{
    kavr::platform::WriteBytesAsTheyAre(stdout); // the CSV's CR LF as written
    if (!Write(stdout, bytes) || std::fflush(stdout) != 0) {
        Say(QStringLiteral("cannot write the CSV to standard output"));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kavr-im-report"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KAVR_VERSION));

    const OptionsOutcome parsed
        = ParseReportOptions(app.arguments().mid(1), QLocale::system(),
                             QCoreApplication::applicationDirPath() + QStringLiteral("/Result"));
    if (!parsed.options) {
        Say(parsed.error + QStringLiteral("\nTry 'kavr-im-report --help'."));
        return UsageError;
    }
    const ReportOptions &options = *parsed.options;
    if (options.help) {
        Write(stdout, ReportUsage().toUtf8());
        return AllRead;
    }
    if (options.version) {
        std::printf("kavr-im-report %s\n", KAVR_VERSION);
        return AllRead;
    }
    if (!QFileInfo(options.folder).isDir()) {
        Say(QStringLiteral("no folder %1\nTry 'kavr-im-report --help'.")
                .arg(Shown(options.folder)));
        return UsageError;
    }

    const QStringList files = ListProtocolFiles(options.folder);
    QList<ProtocolRecord> records;
    int skipped = 0;
    {
        ProgressLine progress(int(files.size()), stderr, kavr::platform::IsTerminal(stderr));
        for (const QString &path : files) {
            const ReadOutcome outcome = ReadProtocolFile(path);
            if (outcome.record) {
                records << *outcome.record;
            } else {
                ++skipped;
                progress.clear();
                const QString where = outcome.error.line > 0
                    ? QStringLiteral("%1:%2").arg(Shown(path)).arg(outcome.error.line)
                    : Shown(path);
                Say(QStringLiteral("%1: %2; skipped").arg(where, outcome.error.message));
            }
            progress.step();
        }
    }

    bool written = options.csvPath.isEmpty()
        ? WriteStdout(CsvReport(records, options.format))
        : WriteFile(options.csvPath, CsvReport(records, options.format));
    if (!options.htmlPath.isEmpty()) {
        const QString source = Shown(QFileInfo(options.folder).absoluteFilePath());
        written
            = WriteFile(options.htmlPath, HtmlReport(records, options.format.decimalMark, source))
            && written;
    }

    Say(QStringLiteral("%1 of %2 protocol files read from %3%4")
            .arg(records.size())
            .arg(files.size())
            .arg(Shown(options.folder),
                 skipped ? QStringLiteral(", %1 skipped").arg(skipped) : QString()));
    if (!written)
        return NotWritten;
    return skipped ? SomeSkipped : AllRead;
}
