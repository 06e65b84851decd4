#include "report/xlsx/Workbook.h"

#include "parameters/Figures.h"
#include "platform/files/FileAccess.h"
#include "report/read/ProtocolDate.h"
#include "report/table/PlacementTable.h"
#include "report/table/ProtocolTable.h"
#include "report/table/SummaryTable.h"
#include "testing/core/Format.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <clocale>
#include <cmath>
#include <string>
#include <xlsxwriter.h>

namespace kavr::report {

namespace {

// Column widths, in characters of the sheet's font: the longest text and a little room, but
// neither a sliver nor a screen for one long name or folder.
constexpr int MinimumWidth = 6;
constexpr int MaximumWidth = 50;
// What the workbook may grow to before it is read back for saving.
constexpr qint64 MaximumBytes = qint64(1) << 31;

// The cell formats, made once: the workbook owns them until it is closed.
struct Formats
{
    explicit Formats(lxw_workbook *workbook)
    {
        header = workbook_add_format(workbook);
        format_set_bold(header);
        const auto numberFormat = [workbook](const char *pattern) {
            lxw_format *format = workbook_add_format(workbook);
            format_set_num_format(format, pattern);
            return format;
        };
        fixed = {numberFormat("0"), numberFormat("0.0"), numberFormat("0.00"),
                 numberFormat("0.000")};
        date = numberFormat("dd.mm.yyyy");
        dateTime = numberFormat("dd.mm.yyyy hh:mm:ss");
        time = numberFormat("hh:mm:ss");
    }

    lxw_format *header;
    std::array<lxw_format *, 4> fixed; // by decimals
    lxw_format *date;
    lxw_format *dateTime;
    lxw_format *time;
};

// Excel reads _xHHHH_ in a text as the character HHHH; a text holding it literally has its
// underscore escaped (_x005F_), so that it reads as written.
QByteArray CellText(const QString &text)
{
    if (!text.contains(QStringLiteral("_x")))
        return text.toUtf8();
    static const QRegularExpression literal(QStringLiteral("_(?=x[0-9A-Fa-f]{4}_)"));
    return QString(text).replace(literal, QStringLiteral("_x005F_")).toUtf8();
}

// Characters a number takes as shown.
int NumberWidth(double value, int decimals)
{
    int digits = 1;
    for (double whole = std::abs(value); whole >= 10 && digits < 20; whole /= 10)
        ++digits;
    return (value < 0) + digits + (decimals > 0 ? decimals + 1 : 0);
}

// A date a spreadsheet can hold (its dates begin in 1900).
bool Datable(const QDate &date)
{
    return date.isValid() && date.year() >= 1900 && date.year() <= 9999;
}

// One sheet, written row by row in order (libxlsxwriter's constant-memory mode keeps one row).
class Sheet final
{
public:
    Sheet(lxw_workbook *workbook, const char *name, const Formats &formats,
          const WorkbookOptions &options)
        : m_sheet(workbook_add_worksheet(workbook, name)),
          m_formats(formats),
          m_options(options)
    {
    }

    template <typename Row> void header(const QList<TableColumn<Row>> &columns)
    {
        lxw_col_t c = 0;
        for (const QString &title : TableTitles(columns, m_options.withNames)) {
            text(c, title, m_formats.header);
            widen(c++, int(title.size()) + 1); // bold
        }
        m_row = 1;
    }

    template <typename Row> void row(const QList<TableColumn<Row>> &columns, const Row &row)
    {
        if (m_row >= LXW_ROW_MAX) {
            fail(QCoreApplication::translate("kavr-im-report",
                                             "more rows than a worksheet holds (%1)")
                     .arg(LXW_ROW_MAX));
            return;
        }
        lxw_col_t c = 0;
        for (const TableColumn<Row> &column : columns) {
            if (ColumnShown(column, m_options.withNames))
                cell(c++, column.cell(row));
        }
        ++m_row;
    }

    // The widths and the frozen header; why the sheet is not whole, empty when it is.
    QString finish()
    {
        for (qsizetype c = 0; c < m_widths.size(); ++c)
            worksheet_set_column(m_sheet, lxw_col_t(c), lxw_col_t(c),
                                 std::clamp(m_widths.at(c) + 1, MinimumWidth, MaximumWidth),
                                 nullptr);
        worksheet_freeze_panes(m_sheet, 1, 0);
        return m_reason;
    }

private:
    void cell(lxw_col_t c, const TableCell &cell)
    {
        switch (cell.kind) {
        case TableCell::Kind::Empty: return;
        case TableCell::Kind::Text:
        case TableCell::Kind::FileText: text(c, cell.text); return;
        case TableCell::Kind::Number: number(c, cell.number, cell.decimals); return;
        case TableCell::Kind::Date:
            if (!Datable(cell.date))
                break;
            moment(c, {cell.date.year(), cell.date.month(), cell.date.day(), 0, 0, 0},
                   m_formats.date, 10);
            return;
        case TableCell::Kind::Time:
            if (!cell.time.isValid())
                break;
            moment(c, {0, 0, 0, cell.time.hour(), cell.time.minute(), double(cell.time.second())},
                   m_formats.time, 8);
            return;
        case TableCell::Kind::SetUpDate: {
            const ProtocolDate read = ReadProtocolDate(cell.text, m_options.localDateFormat);
            if (!read.date || !read.time || !Datable(*read.date))
                break;
            moment(c,
                   {read.date->year(), read.date->month(), read.date->day(), read.time->hour(),
                    read.time->minute(), double(read.time->second())},
                   m_formats.dateTime, 19);
            return;
        }
        }
        text(c, cell.text); // a date or time that cannot be read for sure: as written
    }

    void text(lxw_col_t c, const QString &text, lxw_format *format = nullptr)
    {
        check(worksheet_write_string(m_sheet, m_row, c, CellText(text).constData(), format));
        widen(c, int(text.size()));
    }

    void number(lxw_col_t c, double value, int decimals)
    {
        if (!std::isfinite(value)) { // no number a spreadsheet holds
            text(c, FormatFixed(value, decimals, FormatSettings{}));
            return;
        }
        const size_t d = size_t(std::clamp(decimals, 0, int(m_formats.fixed.size()) - 1));
        check(worksheet_write_number(m_sheet, m_row, c, value, m_formats.fixed[d]));
        widen(c, NumberWidth(value, decimals));
    }

    void moment(lxw_col_t c, lxw_datetime value, lxw_format *format, int width)
    {
        check(worksheet_write_datetime(m_sheet, m_row, c, &value, format));
        widen(c, width);
    }

    void widen(lxw_col_t c, int characters)
    {
        if (m_widths.size() <= c)
            m_widths.resize(c + 1, 0);
        m_widths[c] = std::max(m_widths[c], characters);
    }

    void check(lxw_error error)
    {
        if (error != LXW_NO_ERROR)
            fail(QString::fromUtf8(lxw_strerror(error)));
    }

    void fail(const QString &reason)
    {
        if (m_reason.isEmpty())
            m_reason = reason;
    }

    lxw_worksheet *m_sheet;
    const Formats &m_formats;
    const WorkbookOptions &m_options;
    lxw_row_t m_row = 0;
    QList<int> m_widths; // characters, by column
    QString m_reason;
};

// libxlsxwriter prints numbers with printf, in the C library's numeric locale, which Qt sets
// from the environment: under Russian settings 3.46 would go into the file as "3,46", and
// spreadsheets read that as 3. The C locale's point while the workbook is written.
class CNumbers final
{
public:
    CNumbers() : m_was(std::setlocale(LC_NUMERIC, nullptr)) { std::setlocale(LC_NUMERIC, "C"); }
    ~CNumbers() { std::setlocale(LC_NUMERIC, m_was.c_str()); }
    CNumbers(const CNumbers &) = delete;
    CNumbers &operator=(const CNumbers &) = delete;

private:
    const std::string m_was;
};

// The three sheets into draft; why not, empty when written.
QString WriteDraft(const QString &draft, const QString &scratch,
                   const QList<ProtocolRecord> &records, const GroupStatistics &statistics,
                   const ReportScope &scope, const WorkbookOptions &options)
{
    // The C library opens them: names in the system's 8-bit encoding (Windows' ANSI code page,
    // UTF-8 elsewhere), not always UTF-8.
    const QByteArray draftName = QFile::encodeName(draft), scratchName = QFile::encodeName(scratch);
    lxw_workbook_options settings{};
    settings.constant_memory = LXW_TRUE;
    // Its own scratch files in the private folder too: Windows' tmpfile() writes to the root
    // of the system drive, where a user may not.
    settings.tmpdir = const_cast<char *>(scratchName.constData());
    lxw_workbook *workbook = workbook_new_opt(draftName.constData(), &settings);
    if (!workbook)
        return QCoreApplication::translate("kavr-im-report", "no memory for the workbook");
    const Formats formats(workbook);
    QString reason;

    Sheet subjects(workbook, "Испытуемые", formats, options);
    subjects.header(ProtocolTableColumns());
    for (const ProtocolRecord &record : records)
        subjects.row(ProtocolTableColumns(), record);
    reason = subjects.finish();

    Sheet placements(workbook, "Размещения", formats, options);
    placements.header(PlacementTableColumns());
    for (const ProtocolRecord &record : records) {
        Placement placement = FirstPlacement(record, options.localDateFormat);
        for (; placement.number <= FigureCount; ++placement.number)
            placements.row(PlacementTableColumns(), placement);
    }
    const QString placementsReason = placements.finish();
    if (reason.isEmpty())
        reason = placementsReason;

    Sheet group(workbook, "Группа", formats, options);
    group.header(SummaryTableColumns());
    for (const SummaryFigure &figure : SummaryFigures(records, statistics, scope))
        group.row(SummaryTableColumns(), figure);
    const QString groupReason = group.finish();
    if (reason.isEmpty())
        reason = groupReason;

    // Closed whatever happened: that frees it.
    const lxw_error closed = workbook_close(workbook);
    if (reason.isEmpty() && closed != LXW_NO_ERROR)
        reason = QString::fromUtf8(lxw_strerror(closed));
    return reason;
}

} // namespace

WorkbookOutcome WriteWorkbook(const QString &path, const QList<ProtocolRecord> &records,
                              const GroupStatistics &statistics, const ReportScope &scope,
                              const WorkbookOptions &options)
{
    const CNumbers cNumbers;
    // libxlsxwriter opens its files by name, following whatever the name is: written where
    // no one else may put anything in its way.
    const QString scratch = platform::PrivateTempFolder();
    if (!platform::UsablePrivateFolder(scratch, true))
        return {false,
                QCoreApplication::translate("kavr-im-report", "no private temporary folder %1")
                    .arg(QDir::toNativeSeparators(scratch))};
    const QString draft = QDir(scratch).filePath(
        platform::TemporaryFileName(QStringLiteral("workbook.xlsx")));
    WorkbookOutcome outcome;
    outcome.reason = WriteDraft(draft, scratch, records, statistics, scope, options);
    if (outcome.reason.isEmpty()) {
        const platform::FileRead read = platform::ReadRegularFile(draft, MaximumBytes);
        const platform::FileError saved = read.error
            ? read.error
            : platform::SaveFile(path, read.bytes, platform::FileSharing::Folder,
                                 platform::Replace::RegularFile);
        outcome.written = !saved;
        outcome.reason = saved.reason;
    }
    QFile::remove(draft);
    return outcome;
}

} // namespace kavr::report
