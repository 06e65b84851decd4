#include "assets/SoundBank.h"

#include "assets/RiffChunks.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <sndfile.h>

namespace kavr::assets {

namespace {

constexpr quint16 kFormatMsAdpcm = 2;

// Where the chunks that decoding depends on lie in a RIFF WAVE file.
struct WaveLayout
{
    quint16 formatTag = 0;
    quint16 blockAlign = 0;
    qint64 factFrames = -1;
    qsizetype dataOffset = -1; // of the chunk body
    qsizetype dataSize = 0;
};

WaveLayout ReadLayout(const QByteArray &wave)
{
    WaveLayout layout;
    const RiffFile riff = ReadRiffChunks(wave);
    if (riff.formType != "WAVE")
        return layout;
    const auto *bytes = reinterpret_cast<const uchar *>(wave.constData());
    for (const RiffChunk &chunk : riff.chunks) {
        if (chunk.id == "fmt " && chunk.available >= 16) {
            layout.formatTag = qFromLittleEndian<quint16>(bytes + chunk.offset);
            layout.blockAlign = qFromLittleEndian<quint16>(bytes + chunk.offset + 12);
        } else if (chunk.id == "fact" && chunk.available >= 4) {
            layout.factFrames = qFromLittleEndian<quint32>(bytes + chunk.offset);
        } else if (chunk.id == "data" && layout.dataOffset < 0) {
            // A data chunk cut short keeps what is there.
            layout.dataOffset = chunk.offset;
            layout.dataSize = chunk.available;
        }
    }
    return layout;
}

// libsndfile drops an ADPCM block shorter than the block size, as Windows encoders write the
// last one. Padding it with zero nibbles lets it decode; "fact" then cuts the padding off.
QByteArray PadLastAdpcmBlock(const QByteArray &wave, const WaveLayout &layout)
{
    if (layout.formatTag != kFormatMsAdpcm || layout.blockAlign == 0 || layout.dataOffset < 0
        || layout.dataSize % layout.blockAlign == 0)
        return wave;
    const qsizetype oldEnd = layout.dataOffset + layout.dataSize;
    const qsizetype newSize = layout.dataSize + layout.blockAlign - layout.dataSize % layout.blockAlign;
    QByteArray padded = wave.left(oldEnd);
    padded.append(newSize - layout.dataSize + (newSize & 1), '\0');
    padded.append(wave.mid(std::min(oldEnd + (layout.dataSize & 1), wave.size())));
    auto *bytes = reinterpret_cast<uchar *>(padded.data());
    qToLittleEndian<quint32>(quint32(newSize), bytes + layout.dataOffset - 4);
    qToLittleEndian<quint32>(quint32(padded.size() - 8), bytes + 4);
    return padded;
}

// A read-only file in memory for libsndfile's virtual I/O.
struct MemoryReader
{
    const QByteArray *bytes;
    sf_count_t pos = 0;
};

sf_count_t ReaderLength(void *user) { return static_cast<MemoryReader *>(user)->bytes->size(); }
sf_count_t ReaderTell(void *user) { return static_cast<MemoryReader *>(user)->pos; }

sf_count_t ReaderSeek(sf_count_t offset, int whence, void *user)
{
    auto *reader = static_cast<MemoryReader *>(user);
    const sf_count_t size = reader->bytes->size();
    const sf_count_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? reader->pos : size;
    reader->pos = std::clamp<sf_count_t>(base + offset, 0, size);
    return reader->pos;
}

sf_count_t ReaderRead(void *ptr, sf_count_t count, void *user)
{
    auto *reader = static_cast<MemoryReader *>(user);
    const sf_count_t n = std::clamp<sf_count_t>(reader->bytes->size() - reader->pos, 0, count);
    std::memcpy(ptr, reader->bytes->constData() + reader->pos, size_t(n));
    reader->pos += n;
    return n;
}

sf_count_t ReaderWrite(const void *, sf_count_t, void *) { return 0; }

} // namespace

QByteArray WaveData(const QString &name)
{
    const QDir bank(QStringLiteral(":/sounds"));
    const QString fileName = name + QStringLiteral(".wav");
    const QStringList entries = bank.entryList(QDir::Files);
    for (const QString &entry : entries) {
        if (entry.compare(fileName, Qt::CaseInsensitive) != 0)
            continue;
        QFile file(bank.filePath(entry));
        if (file.open(QIODevice::ReadOnly))
            return file.readAll();
    }
    return {};
}

PcmSound DecodeWave(const QByteArray &wave)
{
    const WaveLayout layout = ReadLayout(wave);
    const QByteArray readable = PadLastAdpcmBlock(wave, layout);

    SF_VIRTUAL_IO io{ReaderLength, ReaderSeek, ReaderRead, ReaderWrite, ReaderTell};
    MemoryReader reader{&readable};
    SF_INFO info{};
    SNDFILE *file = sf_open_virtual(&io, SFM_READ, &info, &reader);
    if (!file)
        return {};

    PcmSound sound;
    if (info.channels > 0 && info.samplerate > 0 && info.frames > 0) {
        QVector<qint16> samples(qsizetype(info.frames) * info.channels);
        sf_count_t frames = sf_readf_short(file, samples.data(), info.frames);
        if (layout.factFrames >= 0)
            frames = std::min<sf_count_t>(frames, layout.factFrames);
        if (frames > 0) {
            samples.resize(qsizetype(frames) * info.channels);
            sound.sampleRate = info.samplerate;
            sound.channels = info.channels;
            sound.samples = std::move(samples);
        }
    }
    sf_close(file);
    return sound;
}

} // namespace kavr::assets
