// Median time of one figure picture decode, per size class and for the whole load (resource
// read + decode). Target: 0.2 ms per decode. Exits 1 when a median is over the target.
//   bench_decode [rounds]   (default 200 rounds over every picture)
#include "assets/JpegDecoder.h"
#include "assets/PictureCatalogue.h"
#include "parameters/Figures.h"
#include "parameters/TestVariant.h"

#include <QCoreApplication>
#include <QHash>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

using namespace kavr::assets;

namespace {

constexpr double TargetMs = 0.2;

double medianMs(std::vector<double> samples)
{
    std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
    return samples[samples.size() / 2];
}

// Times `run` once per picture per round; returns the median of all single runs.
double bench(const std::vector<qint32> &numbers, int rounds, const std::function<void(qint32)> &run)
{
    std::vector<double> samples;
    samples.reserve(numbers.size() * rounds);
    for (int r = 0; r < rounds; ++r) {
        for (qint32 n : numbers) {
            const auto start = std::chrono::steady_clock::now();
            run(n);
            const auto stop = std::chrono::steady_clock::now();
            samples.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
        }
    }
    return medianMs(std::move(samples));
}

std::vector<qint32> set(qint32 base)
{
    std::vector<qint32> numbers;
    for (int f = 1; f <= kavr::FigureCount; ++f)
        numbers.push_back(base + f);
    return numbers;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 200;

    QHash<qint32, QByteArray> data;
    for (qint32 n : PictureNumbers())
        data[n] = PictureData(n);
    volatile int sink = 0;
    const auto decode = [&](qint32 n) { sink = sink + DecodeJpeg(data.value(n)).width(); };
    const auto load = [&](qint32 n) { sink = sink + LoadPicture(n).width(); };

    const kavr::TestVariant &first = kavr::TestVariants.front();
    bench(set(first.exposurePictures), 20, decode); // warm-up: caches, page faults, SIMD dispatch

    struct Row { const char *name; std::vector<qint32> numbers; };
    std::vector<Row> rows = {
        {"decode 166 x 146 (exposure)", set(first.exposurePictures)},
        {"decode 127 x 112 (answer)", set(first.answerPictures)},
        {"decode 56 x 49 (example)", set(ExampleBase)},
        {"decode 37 x 33 (palette)", set(PaletteBase)},
    };
    const QList<qint32> numbers = PictureNumbers();
    const std::vector<qint32> all(numbers.begin(), numbers.end());

    bool overTarget = false;
    std::printf("%d rounds, median of single runs\n", rounds);
    for (const Row &row : rows) {
        const double ms = bench(row.numbers, rounds, decode);
        overTarget = overTarget || ms > TargetMs;
        std::printf("  %-32s %.4f ms\n", row.name, ms);
    }
    const double allMs = bench(all, rounds, decode);
    overTarget = overTarget || allMs > TargetMs;
    std::printf("  %-32s %.4f ms  (target <= %.1f ms)\n", "decode, all 72 pictures", allMs, TargetMs);
    std::printf("  %-32s %.4f ms\n", "LoadPicture (read + decode), all", bench(all, rounds, load));
    std::printf("%s\n", overTarget ? "OVER TARGET" : "within target");
    return overTarget ? 1 : 0;
}
