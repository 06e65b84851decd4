#pragma once
// The command line of kavr-im-report:
//   kavr-im-report [RESULT_FOLDER] [-o OUT.csv] [--html OUT.html] [--pages FOLDER]
//                  [--long OUT.csv] [--summary OUT.csv] [--xlsx OUT.xlsx] [--since DATE]
//                  [--until DATE] [--variant A|B] [--code PATTERN]... [--no-names]
//                  [--separator C] [--decimal C]
#include "report/csv/CsvFormat.h"
#include "report/select/Selection.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

namespace kavr::report {

struct ReportOptions
{
    QString folder; // the Result folder to read
    QString csvPath; // empty: the CSV goes to standard output
    QString htmlPath; // empty: no HTML summary
    QString pagesFolder; // empty: no page per subject
    QString longPath; // empty: no placement-level CSV
    QString summaryPath; // empty: no group summary CSV
    QString xlsxPath; // empty: no workbook
    Selection selection;
    bool withNames = true; // --no-names: codes only, in every output
    CsvFormat format; // from the locale unless --separator / --decimal say otherwise
    QString localDateFormat; // the locale's short date format, for reading protocols' dates
    bool window = false; // --window: the report as a window, these options its first choice
    bool help = false;
    bool version = false;
};

struct OptionsOutcome
{
    std::optional<ReportOptions> options;
    QString error; // a usage error when options is empty
};

// arguments without the program name. The folder defaults to defaultFolder (Result beside the
// executable). Does not look at the file system.
OptionsOutcome ParseReportOptions(const QStringList &arguments, const QLocale &locale,
                                  const QString &defaultFolder);
// The help text, laid out by QCommandLineParser from the options it parses.
QString ReportUsage();

} // namespace kavr::report
