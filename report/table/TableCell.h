#pragma once
// One cell of a report table, typed, so that each output writes it as what it is: the CSV as
// text in its locale's conventions (CsvFormat.h), the workbook as text, a number or a date
// (Workbook.h). A table's data is made once, as cells; every output renders the same cells.
#include <QDate>
#include <QString>
#include <QTime>

#include <optional>
#include <utility>

namespace kavr::report {

struct TableCell
{
    enum class Kind {
        Empty,
        Text, // the report's own words ("да", a section, a mark): written as they are
        // Read from a protocol file (a code, a name, a variant): anyone's text, which no output
        // may let a spreadsheet take for a formula or a number.
        FileText,
        Number, // number, shown with decimals decimals
        Date, // date, shown in a CSV as text
        Time, // time of day, shown in a CSV as text
        // A protocol's set-up date and time as it writes them (text, from the file): read as a
        // date and time by an output that can, where it can be read for sure.
        SetUpDate,
    };

    Kind kind = Kind::Empty;
    QString text;
    double number = 0;
    int decimals = 0;
    QDate date;
    QTime time;

    static TableCell empty() { return {}; }
    static TableCell own(QString text) { return {Kind::Text, std::move(text)}; }
    static TableCell fromFile(QString text) { return {Kind::FileText, std::move(text)}; }
    static TableCell fixed(double value, int decimals)
    {
        return {Kind::Number, {}, value, decimals};
    }
    static TableCell count(int value) { return fixed(value, 0); }
    // Nothing where the figure is not defined (an SD of one value).
    static TableCell fixed(std::optional<double> value, int decimals)
    {
        return value ? fixed(*value, decimals) : empty();
    }
    static TableCell day(QDate date, QString shown)
    {
        return {Kind::Date, std::move(shown), 0, 0, date};
    }
    static TableCell timeOfDay(QTime time, QString shown)
    {
        return {Kind::Time, std::move(shown), 0, 0, {}, time};
    }
    static TableCell setUpDate(QString text) { return {Kind::SetUpDate, std::move(text)}; }
};

} // namespace kavr::report
