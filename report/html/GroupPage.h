#pragma once
// The protocols of a folder as one self-contained HTML page (HtmlPage.h):
//   - what it covers: the folder, what was read and chosen (ReportScope.h), without names;
//   - the group at a glance, per variant (GroupStatistics.h): the scores' statistics, and the
//     share correct and mean time per task panel and per figure as 4 × 3 heat maps;
//   - a table of all subjects, each row with its scores, its z-scores within the folder's group
//     of the same variant (labelled as not a norm), the chart of its twelve placement times
//     at table-row size (TimeChart.h) and a link to the subject's page.
#include "report/figures/GroupStatistics.h"
#include "report/html/FigurePictures.h"
#include "report/read/ProtocolRecord.h"
#include "report/select/ReportScope.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace kavr::report {

struct GroupPageOptions
{
    QString decimalMark = QStringLiteral(".");
    ReportScope scope; // scope.folder is shown under the title
    QString generator; // "kavr-im-report 2.01", in the page's foot
    PictureSource pictures; // the program's catalogue, for the figure heat maps
    // The subjects' pages relative to this page, as a URL ("pages/"); empty: no links.
    QString pagesUrl;
};

QByteArray GroupPage(const QList<ProtocolRecord> &records, const GroupStatistics &statistics,
                      const GroupPageOptions &options);
// Everything from the records alone, without pictures or links; source names the folder.
QByteArray GroupPage(const QList<ProtocolRecord> &records, const QString &decimalMark,
                      const QString &source);

} // namespace kavr::report
