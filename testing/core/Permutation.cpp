#include "testing/core/Permutation.h"

#include <chrono>

namespace kavr {

void RandomSource::reseedFromClock()
{
    if (m_fixedSeed) {
        m_engine.seed(*m_fixedSeed);
        return;
    }
    const auto ticks = std::chrono::system_clock::now().time_since_epoch().count()
        ^ std::chrono::steady_clock::now().time_since_epoch().count();
    m_engine.seed(std::uint64_t(ticks));
}

Permutation DrawPermutation(RandomSource &random)
{
    Permutation p{};
    int i = 1;
    while (i <= FigureCount) {
        const int v = random.drawBelow1000() % FigureCount + 1;
        p[i] = std::uint8_t(v);
        int j = 1;
        while (p[j] != v)
            ++j;
        if (j == i)
            ++i; // new value; otherwise position i is drawn again
    }
    return p;
}

bool IsPermutation(const Permutation &p)
{
    std::array<bool, FigureCount + 1> seen{};
    for (int i = 1; i <= FigureCount; ++i) {
        if (p[i] < 1 || p[i] > FigureCount || seen[p[i]])
            return false;
        seen[p[i]] = true;
    }
    return true;
}

} // namespace kavr
