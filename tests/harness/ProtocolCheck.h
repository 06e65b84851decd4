#pragma once
// Whether a protocol file the real program wrote is whole and consistent. The file is read by
// the results report's reader (report/read/ProtocolReader.h), which checks each line's layout, the
// code lines, row numbers, ranges, marks and the counts; on top of it this asks what the
// reader lets pass: Windows-1251 bytes with CR LF after every line and nothing after the
// twelfth row; the instruction time right before the results; every header under the code the
// file is named after, dated dd.mm.yyyy; the Russian decimal comma; the phase lengths 30 and
// 60 s; each panel taken once; the rows placed from the first; every second of the answer
// phase charged to some row; Tcp and SD as the rows give them.
#include "report/read/ProtocolRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace kavr::harness {

struct ProtocolReport
{
    QStringList problems;                        // empty when the protocol is well formed
    std::optional<report::ProtocolRecord> record; // what the reader read; empty when refused
    QStringList lines;                           // the text, line ends taken off
    QStringList codes;                           // the code of each header block
    int headerBlocks = 0;
    int instructionLines = 0;
    int placed = 0;                              // rows with a panel
};

class ProtocolCheck final
{
public:
    // expectedCode: the code the file is named after.
    static ProtocolReport check(const QByteArray &bytes, const QString &expectedCode);
    // The file at path, expected under the code its name gives ("<code>.IM.txt").
    static ProtocolReport checkFile(const QString &path);
};

} // namespace kavr::harness
