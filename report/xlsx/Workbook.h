#pragma once
// The report's tables as one workbook for Excel and other spreadsheet programs (Office Open
// XML, written by libxlsxwriter): a sheet per table, "Испытуемые" (ProtocolTable.h),
// "Размещения" (PlacementTable.h) and "Группа" (SummaryTable.h), with the CSVs' columns and
// titles, the names left out as there. The cells keep their types: codes, names and variants
// are text, never taken for numbers or formulas ("007", "3-5", "=1+1" stay as written); figures
// are numbers shown with the CSV's decimals; dates and times that can be read for sure are
// dates (dd.mm.yyyy, hh:mm:ss), the others the protocol's text. The header row is bold and
// stays in view; each column is as wide as its longest text, within bounds.
#include "report/figures/GroupStatistics.h"
#include "report/read/ProtocolRecord.h"
#include "report/select/ReportScope.h"

#include <QList>
#include <QString>

namespace kavr::report {

struct WorkbookOptions
{
    bool withNames = true;
    QString localDateFormat; // the report's short date format, for reading the protocols' dates
};

struct WorkbookOutcome
{
    bool written = false;
    QString reason; // why not, for the operator, when not written
};

// Writes the workbook as path, whole or not at all: libxlsxwriter writes it into the user's
// private temporary folder, and only once it reports the workbook complete is it saved as path
// in one step (platform::SaveFile: under a temporary name beside it, then renamed), so that an
// earlier file stays as it was when anything fails. Replaces a regular file only, one not
// read-only on purpose. Up to Excel's 1 048 576 rows a sheet (87 381 protocols' placements).
WorkbookOutcome WriteWorkbook(const QString &path, const QList<ProtocolRecord> &records,
                              const GroupStatistics &statistics, const ReportScope &scope,
                              const WorkbookOptions &options);

} // namespace kavr::report
