#pragma once
// Reading protocol files back. The line layouts are the program's own (testing/core/Protocol.h);
// a file that departs from them anywhere is refused, naming the first line that does.
//
// Accepted: Windows-1251 as the program writes it (UTF-8 too, should a file have been
// converted), CR LF or LF line ends, a last line without its line end, blank lines at the end,
// either decimal separator, and set-ups that ran more than once (extra header blocks, extra
// instruction lines). Checked: each line's layout, the code on line 3 against line 2, the row
// numbers, value ranges, each row's mark against its key and answer, and N[+], N[-], N[0]
// against the rows.
#include "report/read/ProtocolRecord.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace kavr::report {

struct ReadError
{
    int line = 0; // 1-based; 0 for the file as a whole
    QString message;
};

struct ReadOutcome
{
    std::optional<ProtocolRecord> record; // set when the file was read
    ReadError error; // otherwise why not
};

inline constexpr qint64 MaxProtocolBytes = 1 << 20;
inline constexpr qsizetype MaxLineLength = 4096;

ReadOutcome ReadProtocol(const QByteArray &bytes);
// Sets the record's path, and recovered when its name ends in .IM.recovered.txt; a file that
// cannot be opened or exceeds MaxProtocolBytes is refused as a whole (line 0).
ReadOutcome ReadProtocolFile(const QString &path);

} // namespace kavr::report
