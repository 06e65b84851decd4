#pragma once
// The group at a glance as one CSV table in long form, one figure per row, so that a pivot
// table (rows Элемент, columns Показатель, filters Раздел and Вариант) or R's pivot_wider lays
// it out without further work. The CSV conventions of CsvFormat.h.
//
// Columns: Раздел, Вариант, Элемент, Показатель, Значение. Sections, in this order:
//   Отбор        what was read and chosen (Элемент: the folder or the conditions)
//   Показатели   per variant, Элемент N[+] … V: Испытуемых, Среднее, SD, Медиана, Минимум, Максимум
//   Панель       per variant, Элемент 1-12: Испытуемых, Верно, Доля верных, Размещений,
//                Среднее время, сек
//   Фигура       the same per figure
//   Испытуемый   per variant, Элемент the code: z N[+] and z Tcp, labelled as within this
//                folder, not a norm
// Значение is always a number; a figure that is not defined (an SD of one value, a z-score of
// a subject who placed nothing) is left empty.
#include "report/csv/CsvFormat.h"
#include "report/figures/GroupStatistics.h"
#include "report/read/ProtocolRecord.h"
#include "report/select/ReportScope.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace kavr::report {

// One row of the table: one figure, its value already written out.
struct SummaryFigure
{
    QString section;
    QString variant;
    QString element;
    QString measure;
    QString value;
};

const QList<CsvColumn<SummaryFigure>> &SummaryCsvColumns();
QByteArray SummaryCsv(const QList<ProtocolRecord> &records, const GroupStatistics &statistics,
                      const ReportScope &scope, const CsvFormat &format);

} // namespace kavr::report
