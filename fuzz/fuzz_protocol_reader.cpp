// libFuzzer target: any bytes as a protocol file. The reader must come back with a record or
// a refusal, never crash, hang or read out of bounds; a record it gives must hold together
// and go through both writers.
#include "parameters/Figures.h"
#include "report/csv/ProtocolCsv.h"
#include "report/html/GroupPage.h"
#include "report/read/ProtocolReader.h"

#include <cstddef>
#include <cstdint>

using namespace kavr::report;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const ReadOutcome outcome = ReadProtocol(bytes);
    if (!outcome.record) {
        if (outcome.error.message.isEmpty() || outcome.error.line < 0)
            __builtin_trap();
        return 0;
    }
    const ProtocolRecord &r = *outcome.record;
    const kavr::Score &s = r.score;
    int placed = 0, correct = 0;
    for (int i = 1; i <= kavr::FigureCount; ++i) {
        placed += r.choices[i].placed();
        correct += r.choices[i].correct();
    }
    if (r.setUps < 1 || s.correct != correct || s.wrong != placed - correct
        || s.missing != kavr::FigureCount - placed || s.placed != placed)
        __builtin_trap();
    const QByteArray csv = ProtocolCsv({r}, CsvFormat{});
    const QByteArray html = GroupPage({r}, QStringLiteral(","), QStringLiteral("fuzz"));
    if (csv.isEmpty() || html.isEmpty())
        __builtin_trap();
    return 0;
}
