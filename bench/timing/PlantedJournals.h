#pragma once
// What a shared, untidy Result folder holds when the program starts: journals of tests killed
// on this workstation (recovered at the start, a bounded number each time), of tests that may
// still run on another one (left alone after a look at their locks' heartbeat), and names a
// hostile lab member planted (FIFOs as locks, journals linked to /dev/zero).
#include <QString>

namespace kavr::bench {

// Plants count such files, a third of each kind, into resultDir; false when it could not.
bool PlantJournals(const QString &resultDir, int count);

} // namespace kavr::bench
