#pragma once
// A JPEG file cut into its marker segments, to check what the encoder wrote and to build
// damaged copies. Parsing stops at the first fault and names it in error().
#include <QByteArray>
#include <QList>
#include <QString>

class JpegStructure
{
public:
    enum Marker : quint8 {
        SOF0 = 0xC0, SOF3 = 0xC3, DHT = 0xC4, SOI = 0xD8, EOI = 0xD9, SOS = 0xDA, DQT = 0xDB, APP0 = 0xE0,
    };

    struct Segment
    {
        quint8 marker;
        qsizetype offset;   // of the 0xFF that starts the marker
        QByteArray payload; // without the two length bytes; empty for SOI and EOI
    };

    explicit JpegStructure(const QByteArray &file);

    bool isValid() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }

    const QList<Segment> &segments() const { return m_segments; }
    QList<quint8> markers() const;
    // The first segment with this marker; a null payload if there is none.
    Segment first(quint8 marker) const;
    QList<Segment> all(quint8 marker) const;

    // Entropy-coded data of the (only) scan: [scanBegin, scanEnd).
    qsizetype scanBegin() const { return m_scanBegin; }
    qsizetype scanEnd() const { return m_scanEnd; }

private:
    QList<Segment> m_segments;
    QString m_error;
    qsizetype m_scanBegin = -1;
    qsizetype m_scanEnd = -1;
};

// Big-endian 16-bit value at offset.
int ReadU16(const QByteArray &bytes, qsizetype offset);
