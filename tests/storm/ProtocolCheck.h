#pragma once
// Whether a protocol file the real program wrote is whole and consistent: Windows-1251 with
// CR LF after every line; one or more header blocks and instruction-time lines (the set-up
// repeats when the about box's OK comes in the instruction or the exposure); then the result
// lines, whose counts, marks, means and times must agree with the twelve rows, each panel
// taken once. Dates, times and numbers in the Russian format.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kavr::test {

struct ProtocolReport
{
    QStringList problems;  // empty when the protocol is well formed
    QStringList codes;     // the code of each header block
    int headerBlocks = 0;
    int instructionLines = 0;
    int placed = 0;        // rows with a panel
};

class ProtocolCheck
{
public:
    // expectedCode: the code the file is named after.
    static ProtocolReport check(const QByteArray &bytes, const QString &expectedCode);
};

} // namespace kavr::test
