#pragma once
// The permutation draw of the board set-up: each position takes (r mod 12) + 1 for a uniform
// r in 0..999 and is drawn again while the value repeats an earlier one. The bias of
// 1000 mod 12 (1-4 slightly likelier per single draw) is part of the method and kept.
#include "parameters/Figures.h"

#include <cstdint>
#include <optional>
#include <random>

namespace kavr {

// 1-based like the rest of the test state: element 0 is unused.
using Permutation = PerFigure<std::uint8_t>;

class RandomSource
{
public:
    explicit RandomSource(std::uint64_t seed = 0) : m_engine(seed) {}
    void reseed(std::uint64_t seed) { m_engine.seed(seed); }
    // From the clock, unless a seed was fixed: then from that seed, every time.
    void reseedFromClock();
    // For scripted runs whose draws must come out the same every time.
    void fixSeed(std::uint64_t seed) { m_fixedSeed = seed; }
    // Uniform in 0..999.
    int drawBelow1000() { return m_dist(m_engine); }

private:
    std::mt19937_64 m_engine;
    std::optional<std::uint64_t> m_fixedSeed;
    std::uniform_int_distribution<int> m_dist{0, 999};
};

Permutation DrawPermutation(RandomSource &random);

bool IsPermutation(const Permutation &p);

} // namespace kavr
