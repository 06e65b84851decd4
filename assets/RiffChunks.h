#pragma once
// The chunk list of a RIFF file (a WAVE sound): the "RIFF" header with its form type, then
// chunks of a four-character id, a little-endian 32-bit size and a body padded to an even
// length. Reads bytes in memory only; nothing is copied.
//
// Damage is reported, not repaired: a chunk cut short by the end of the file is listed with
// the part of its body that is there (always the last chunk), and `exact` says whether the
// chunks with their pad bytes end exactly at the end of the file. Each reader decides what it
// tolerates.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace kavr::assets {

struct RiffChunk
{
    QByteArray id;           // four characters, e.g. "fmt ", "data"
    qsizetype offset = 0;    // of the body, from the start of the file
    quint32 size = 0;        // as declared
    qsizetype available = 0; // of the body present in the file: less than size when cut short

    bool truncated() const { return available < qsizetype(size); }
};

struct RiffFile
{
    QByteArray formType; // e.g. "WAVE"; empty when the bytes do not start with a RIFF header
    QList<RiffChunk> chunks;
    bool exact = false; // the chunks tile the file to its last byte

    // The first chunk with this id, or nullptr.
    const RiffChunk *find(QByteArrayView id) const;
};

// Walks the chunks from byte 12 while a whole chunk header remains. Never fails: bytes that
// are no RIFF file give an empty formType and no chunks.
RiffFile ReadRiffChunks(QByteArrayView file);

} // namespace kavr::assets
