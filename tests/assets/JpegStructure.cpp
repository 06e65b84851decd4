#include "JpegStructure.h"

namespace {

quint8 byteAt(const QByteArray &bytes, qsizetype i) { return quint8(bytes.at(i)); }

bool isStandalone(quint8 marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

} // namespace

int ReadU16(const QByteArray &bytes, qsizetype offset)
{
    return byteAt(bytes, offset) << 8 | byteAt(bytes, offset + 1);
}

JpegStructure::JpegStructure(const QByteArray &file)
{
    const qsizetype size = file.size();
    if (size < 2 || byteAt(file, 0) != 0xFF || byteAt(file, 1) != SOI) {
        m_error = QStringLiteral("no SOI at the start");
        return;
    }
    m_segments.append({SOI, 0, {}});
    qsizetype i = 2;
    for (;;) {
        if (i + 1 >= size || byteAt(file, i) != 0xFF) {
            m_error = QStringLiteral("no marker at offset %1").arg(i);
            return;
        }
        const qsizetype start = i;
        while (i < size && byteAt(file, i) == 0xFF)
            ++i;
        if (i >= size) {
            m_error = QStringLiteral("file ends in fill bytes");
            return;
        }
        const quint8 marker = byteAt(file, i++);
        if (marker == EOI) {
            m_segments.append({EOI, start, {}});
            if (i != size)
                m_error = QStringLiteral("%1 bytes after EOI").arg(size - i);
            return;
        }
        if (isStandalone(marker)) {
            m_segments.append({marker, start, {}});
            continue;
        }
        if (i + 2 > size || ReadU16(file, i) < 2 || i + ReadU16(file, i) > size) {
            m_error = QStringLiteral("bad length of marker 0x%1").arg(marker, 2, 16, QLatin1Char('0'));
            return;
        }
        const int length = ReadU16(file, i);
        m_segments.append({marker, start, file.mid(i + 2, length - 2)});
        i += length;
        if (marker == SOS) {
            // Entropy-coded data runs to the next marker that is neither a stuffed 0xFF00 nor
            // a restart marker.
            m_scanBegin = i;
            while (i + 1 < size
                   && !(byteAt(file, i) == 0xFF && byteAt(file, i + 1) != 0x00
                        && !(byteAt(file, i + 1) >= 0xD0 && byteAt(file, i + 1) <= 0xD7)))
                ++i;
            m_scanEnd = i;
        }
    }
}

QList<quint8> JpegStructure::markers() const
{
    QList<quint8> result;
    for (const Segment &s : m_segments)
        result.append(s.marker);
    return result;
}

JpegStructure::Segment JpegStructure::first(quint8 marker) const
{
    for (const Segment &s : m_segments)
        if (s.marker == marker)
            return s;
    return {marker, -1, {}};
}

QList<JpegStructure::Segment> JpegStructure::all(quint8 marker) const
{
    QList<Segment> result;
    for (const Segment &s : m_segments)
        if (s.marker == marker)
            result.append(s);
    return result;
}
