#pragma once
// The report's window in a child process of the bench, offscreen: the time from the child's
// start to its table filled with the folder's protocols, and how its progress bar moved on the
// way (a bar that jumps from nothing to full tells the user nothing).
#include <QString>

namespace kavr::bench {

inline constexpr char WindowChildOption[] = "--window-child";

// In the child (bench_report --window-child FOLDER): opens the window on FOLDER, prints
// "table SECONDS steps N" once its table is filled, and ends.
int WindowChild(int argc, char *argv[]);
// In the bench: the child runs times over folder; prints a row of the bench's table. False
// when a run failed.
bool MeasureWindow(const QString &folder, int runs, const QString &scratch);

} // namespace kavr::bench
