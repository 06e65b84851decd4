#pragma once
// What a report covers, told to its reader: the folder, what was read, what was chosen and
// what was left out.
#include <QString>

namespace kavr::report {

struct ReportScope
{
    QString folder; // as shown to the user
    int files = 0; // protocol files in the folder
    int read = 0; // of them read (the rest skipped as damaged)
    QString selection; // Selection::description()
    int selected = 0; // read and chosen
    int undated = 0; // left out because a date condition could not be checked
    int recovered = 0; // of the chosen, interrupted tests: marked, and left out of group figures
    bool withNames = true;
};

} // namespace kavr::report
