#pragma once
// A report table's columns are one list of TableColumn: the header and every row of every
// output are made from it, so that a title and its cells cannot drift apart, and a report
// without names drops the personal columns by their flag.
#include "report/table/TableCell.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace kavr::report {

// One column of a table whose rows are Rows.
template <typename Row> struct TableColumn
{
    QString title;
    std::function<TableCell(const Row &row)> cell;
    bool personal = false; // the subject's name: left out without names (--no-names)
};

// Whether a report with or without names has the column.
template <typename Row> bool ColumnShown(const TableColumn<Row> &column, bool withNames)
{
    return withNames || !column.personal;
}

// The titles of the columns a table has, with or without the personal ones.
template <typename Row>
QStringList TableTitles(const QList<TableColumn<Row>> &columns, bool withNames)
{
    QStringList titles;
    for (const TableColumn<Row> &column : columns) {
        if (ColumnShown(column, withNames))
            titles << column.title;
    }
    return titles;
}

} // namespace kavr::report
