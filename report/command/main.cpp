// kavr-im-report: the protocols of a Result folder side by side, as a CSV table for
// spreadsheets and, on request, placement-level data, the group's figures, a workbook of the
// three tables, an HTML summary and a page per subject. A program of its own: KAVR.IM itself
// reads no files.
#include "assets/PictureCatalogue.h"
#include "platform/console/Console.h"
#include "report/command/ProgressLine.h"
#include "report/command/ReportOptions.h"
#include "report/command/WindowStart.h"
#include "report/csv/PlacementCsv.h"
#include "report/csv/ProtocolCsv.h"
#include "report/csv/SummaryCsv.h"
#include "report/figures/GroupStatistics.h"
#include "report/html/GroupPage.h"
#include "report/html/PageFolder.h"
#include "report/html/SubjectPage.h"
#include "report/read/ProtocolDate.h"
#include "report/read/ProtocolReader.h"
#include "report/read/ResultFolder.h"
#include "report/translations/ReportTranslations.h"
#include "report/xlsx/Workbook.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

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
        Say(QCoreApplication::translate("kavr-im-report", "cannot write %1: %2")
                .arg(Shown(path), file.errorString()));
        return false;
    }
    return true;
}

bool WriteStdout(const QByteArray &bytes)
{
    kavr::platform::WriteBytesAsTheyAre(stdout); // the CSV's CR LF as written
    if (!Write(stdout, bytes) || std::fflush(stdout) != 0) {
        Say(QCoreApplication::translate("kavr-im-report",
                                        "cannot write the CSV to standard output"));
        return false;
    }
    return true;
}

// The pages folder as seen from the HTML file's folder, as the start of a URL.
QString PagesUrl(const QString &htmlPath, const QString &pagesFolder)
{
    const QString pages = QFileInfo(pagesFolder).absoluteFilePath();
    const QString relative = QFileInfo(htmlPath).absoluteDir().relativeFilePath(pages);
    if (QDir::isAbsolutePath(relative)) // another drive
        return QUrl::fromLocalFile(pages).toString(QUrl::FullyEncoded) + u'/';
    QStringList segments;
    for (const QString &segment : relative.split(u'/'))
        segments << QString::fromLatin1(QUrl::toPercentEncoding(segment));
    return segments.join(u'/') + u'/';
}

// One page per protocol; false when the folder or a page could not be written.
bool WritePages(const QString &folder, const QList<ProtocolRecord> &records,
                const SubjectPageOptions &options)
{
    ProgressLine progress(int(records.size()), stderr, kavr::platform::IsTerminal(stderr),
                          QT_TRANSLATE_NOOP("kavr-im-report", "writing pages"));
    return WriteSubjectPages(
        folder, records, options,
        [&progress](const QString &path, const QString &why) {
            progress.clear();
            Say(why.isEmpty()
                    ? QCoreApplication::translate("kavr-im-report", "cannot make the folder %1")
                          .arg(Shown(path))
                    : QCoreApplication::translate("kavr-im-report", "cannot write %1: %2")
                          .arg(Shown(path), why));
        },
        [&progress] { progress.step(); });
}

} // namespace

int main(int argc, char *argv[])
{
    if (StartsAsWindow(argc, argv, !kavr::platform::JoinConsole()))
        return RunReportWindow(argc, argv);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kavr-im-report"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KAVR_VERSION));
    InstallReportTranslators();

    const OptionsOutcome parsed
        = ParseReportOptions(app.arguments().mid(1), QLocale::system(),
                             QCoreApplication::applicationDirPath() + QStringLiteral("/Result"));
    if (!parsed.options) {
        Say(parsed.error
            + QCoreApplication::translate("kavr-im-report", "\nTry 'kavr-im-report --help'."));
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
        Say(QCoreApplication::translate("kavr-im-report",
                                        "no folder %1\nTry 'kavr-im-report --help'.")
                .arg(Shown(options.folder)));
        return UsageError;
    }

    const QStringList files = ListProtocolFiles(options.folder);
    const Selection &selection = options.selection;
    ReportScope scope;
    scope.folder = Shown(QFileInfo(options.folder).absoluteFilePath());
    scope.files = int(files.size());
    scope.selection = selection.description();
    scope.withNames = options.withNames;
    QList<ProtocolRecord> records;
    int skipped = 0;
    {
        ProgressLine progress(int(files.size()), stderr, kavr::platform::IsTerminal(stderr));
        for (const QString &path : files) {
            ReadOutcome outcome = ReadProtocolFile(path);
            if (outcome.record) {
                ++scope.read;
                ProtocolRecord &record = *outcome.record;
                const ProtocolDate date = selection.datesMatter()
                    ? ReadProtocolDate(record.dateTime, options.localDateFormat)
                    : ProtocolDate{};
                const Selection::Verdict verdict = selection.judge(record, date);
                if (verdict == Selection::Verdict::Taken) {
                    if (!options.withNames)
                        record.name.clear(); // gone before anything is written
                    scope.recovered += record.recovered;
                    records << std::move(record);
                } else if (verdict == Selection::Verdict::Undated) {
                    ++scope.undated;
                }
            } else {
                ++skipped;
                progress.clear();
                const QString where = outcome.error.line > 0
                    ? QStringLiteral("%1:%2").arg(Shown(path)).arg(outcome.error.line)
                    : Shown(path);
                Say(QCoreApplication::translate("kavr-im-report", "%1: %2; skipped")
                        .arg(where, outcome.error.message));
            }
            progress.step();
        }
    }
    scope.selected = int(records.size());

    const QString generator = QStringLiteral("kavr-im-report " KAVR_VERSION);
    const bool withNames = options.withNames;
    bool written = options.csvPath.isEmpty()
        ? WriteStdout(ProtocolCsv(records, options.format, withNames))
        : WriteFile(options.csvPath, ProtocolCsv(records, options.format, withNames));
    if (!options.longPath.isEmpty())
        written = WriteFile(options.longPath, PlacementCsv(records, options.format,
                                                            options.localDateFormat, withNames))
            && written;
    if (!options.summaryPath.isEmpty() || !options.xlsxPath.isEmpty()
        || !options.htmlPath.isEmpty()) {
        const GroupStatistics statistics = ComputeGroupStatistics(records);
        if (!options.summaryPath.isEmpty())
            written = WriteFile(options.summaryPath,
                                SummaryCsv(records, statistics, scope, options.format))
                && written;
        if (!options.xlsxPath.isEmpty()) {
            WorkbookOptions workbook;
            workbook.withNames = withNames;
            workbook.localDateFormat = options.localDateFormat;
            const WorkbookOutcome outcome = WriteWorkbook(options.xlsxPath, records, statistics,
                                                          scope, workbook);
            if (!outcome.written)
                Say(QCoreApplication::translate("kavr-im-report", "cannot write %1: %2")
                        .arg(Shown(options.xlsxPath), outcome.reason));
            written = outcome.written && written;
        }
        if (!options.htmlPath.isEmpty()) {
            GroupPageOptions html;
            html.decimalMark = options.format.decimalMark;
            html.scope = scope;
            html.generator = generator;
            html.pictures = kavr::assets::PictureData;
            if (!options.pagesFolder.isEmpty())
                html.pagesUrl = PagesUrl(options.htmlPath, options.pagesFolder);
            written = WriteFile(options.htmlPath, GroupPage(records, statistics, html)) && written;
        }
    }
    if (!options.pagesFolder.isEmpty()) {
        SubjectPageOptions page;
        page.decimalMark = options.format.decimalMark;
        page.withNames = withNames;
        page.generator = generator;
        page.pictures = kavr::assets::PictureData;
        written = WritePages(options.pagesFolder, records, page) && written;
    }

    Say(QCoreApplication::translate("kavr-im-report", "%1 of %n protocol files read from %2%3",
                                    nullptr, int(files.size()))
            .arg(scope.read)
            .arg(Shown(options.folder),
                 skipped ? QCoreApplication::translate("kavr-im-report", ", %n skipped", nullptr,
                                                       skipped)
                         : QString()));
    if (scope.selected != scope.read)
        Say(QCoreApplication::translate("kavr-im-report", "%n of them chosen%1", nullptr,
                                        scope.selected)
                .arg(scope.undated
                         ? QCoreApplication::translate("kavr-im-report",
                                                       " (%n left out: no date that can be read "
                                                       "for sure)",
                                                       nullptr, scope.undated)
                         : QString()));
    if (!written)
        return NotWritten;
    return skipped ? SomeSkipped : AllRead;
}
