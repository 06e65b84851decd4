// libFuzzer target: any bytes as a journal of a test in progress, which anyone in a shared
// Result folder may have written. The reader must come back with a test, a test up to a damaged
// line, or a refusal, never crash, hang or read out of bounds; a test it gives must name a code
// the entry would have taken and make a whole protocol.
#include "error/KavrError.h"
#include "parameters/Figures.h"
#include "testing/core/JournalReader.h"
#include "testing/core/ProtocolFile.h"
#include "testing/core/SubjectEntryCheck.h"

#include <cstddef>
#include <cstdint>

using namespace kavr;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const JournalReadOutcome outcome = ReadJournal(bytes);
    if (!outcome.test) {
        if (outcome.error.isEmpty() || outcome.damagedLine != 0)
            __builtin_trap();
        return 0;
    }
    const InterruptedTest &test = *outcome.test;
    if (outcome.empty || CheckSubjectCode(test.code()) || test.state.ChoiceNo > AllPlaced
        || (outcome.damagedLine != 0) == outcome.error.isEmpty())
        __builtin_trap();
    const QStringList lines = test.protocolLines();
    // The journal's lines, then the end time, the variant line and the results: 19 more.
    if (lines.size() != test.journaledLines + 19)
        __builtin_trap();
    try {
        EncodeProtocol(lines);
    } catch (const KavrError &) {
        // a line outside the protocol's code page: recovery names the journal instead
    }
    return 0;
}
