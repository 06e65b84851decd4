#pragma once
// Protocols as the program writes them, for a large folder: each test drawn as the program
// draws its boards (the permutation draw, for KeyOrder and OfferOrder), answered by a simulated
// subject who remembers each figure's panel with a probability of their own, at a pace of
// their own, until the twelve are placed or the 60 s are over (the row in progress then charged
// with the rest, a picked figure left in it half of the time). The lines come from the
// program's own builders and reach the disk through its own save, so every file is one the
// program could have written.
#include <QString>
#include <QtGlobal>

namespace kavr::bench {

// Writes test number n (0-based; the same n always gives the same test) into resultDir as
// S-<n>.IM.txt, or, for one test in a hundred, as a recovered protocol. Returns the path.
QString WriteSimulatedTest(const QString &resultDir, int n);

} // namespace kavr::bench
