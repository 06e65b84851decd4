#pragma once
// The group at a glance as one table in long form, one figure per row, so that a pivot table
// (rows Элемент, columns Показатель, filters Раздел and Вариант) or R's pivot_wider lays it out
// without further work.
//
// Columns: Раздел, Вариант, Элемент, Показатель, Значение. Sections, in this order:
//   Отбор        what was read and chosen (Элемент: the folder or the conditions)
//   Показатели   per variant, Элемент N[+] … V: Испытуемых, Среднее, SD, Медиана, Минимум, Максимум
//   Панель       per variant, Элемент 1-12: Испытуемых, Верно, Доля верных, Размещений,
//                Среднее время, сек
//   Фигура       the same per figure
//   Испытуемый   per variant, Элемент the code: z N[+] and z Tcp, labelled as within this
//                folder, not a norm
// Значение is always a number (a count, or a figure with 2 decimals, a share with 3); a figure
// that is not defined (an SD of one value, a z-score of a subject who placed nothing) is left
// empty.
#include "report/figures/GroupStatistics.h"
#include "report/read/ProtocolRecord.h"
#include "report/select/ReportScope.h"
#include "report/table/TableColumn.h"

#include <QList>
#include <QString>

namespace kavr::report {

// One row of the table: one figure.
struct SummaryFigure
{
    QString section;
    QString variant;
    QString element;
    QString measure;
    TableCell value;
};

const QList<TableColumn<SummaryFigure>> &SummaryTableColumns();
// The rows, in the order above.
QList<SummaryFigure> SummaryFigures(const QList<ProtocolRecord> &records,
                                    const GroupStatistics &statistics, const ReportScope &scope);

} // namespace kavr::report
