#include "assets/RiffChunks.h"

#include <QtEndian>

#include <algorithm>

namespace kavr::assets {

const RiffChunk *RiffFile::find(QByteArrayView id) const
{
    for (const RiffChunk &chunk : chunks)
        if (chunk.id == id)
            return &chunk;
    return nullptr;
}

RiffFile ReadRiffChunks(QByteArrayView file)
{
    RiffFile riff;
    if (file.size() < 12 || !file.startsWith("RIFF"))
        return riff;
    riff.formType = file.sliced(8, 4).toByteArray();
    qsizetype pos = 12;
    while (pos + 8 <= file.size()) {
        RiffChunk chunk;
        chunk.id = file.sliced(pos, 4).toByteArray();
        chunk.size = qFromLittleEndian<quint32>(file.data() + pos + 4);
        chunk.offset = pos + 8;
        chunk.available = std::min(qsizetype(chunk.size), file.size() - chunk.offset);
        riff.chunks.append(chunk);
        pos = chunk.offset + qsizetype(chunk.size) + (chunk.size & 1);
    }
    riff.exact = pos == file.size();
    return riff;
}

} // namespace kavr::assets
