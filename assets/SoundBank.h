#pragma once
// The two built-in WAVE sounds, looked up by name, and their decoding to 16-bit samples for a
// player that cannot read the stored encodings itself (Microsoft ADPCM, unsigned 8-bit PCM).
#include <QByteArray>
#include <QString>
#include <QVector>

namespace kavr::assets {

// A decoded sound: interleaved signed 16-bit samples. All fields stay zero or empty when
// decoding failed.
struct PcmSound
{
    int sampleRate = 0;
    int channels = 0;
    QVector<qint16> samples;
};

// The stored bytes of a built-in sound ("ID_START", "ID_FINISH"); the name matches
// case-insensitively. An empty array when there is no sound of that name.
QByteArray WaveData(const QString &name);

// Decodes a RIFF WAVE file held in memory with libsndfile. A "fact" sample count is honoured,
// so a short last ADPCM block keeps its samples and block padding is never played. Returns an
// empty PcmSound when the data cannot be decoded.
PcmSound DecodeWave(const QByteArray &wave);

} // namespace kavr::assets
