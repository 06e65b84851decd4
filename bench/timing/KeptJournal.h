#pragma once
// The test's journal kept under a second name of the bench's. The journal holds each placement
// time exactly as the program measured it, where the protocol rounds it to hundredths of a
// second (5 ms off by the rounding alone); the program removes its journal once the protocol is
// saved, so the bench links it while the test runs and reads it afterwards.
#include "testing/core/ChoiceRecord.h"

#include <QString>

#include <optional>

namespace kavr::bench {

// A hard link named kept to journal (an earlier kept is replaced); why not, or empty.
QString KeepJournal(const QString &journal, const QString &kept);

// The twelve records of the test as its journal ended; empty when it cannot be read.
std::optional<ChoiceTable> ReadKeptChoices(const QString &kept);

} // namespace kavr::bench
