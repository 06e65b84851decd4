// The two built-in WAVE files, byte by byte, and their decoding.
#include "assets/RiffChunks.h"
#include "assets/SoundBank.h"

#include <QFile>
#include <QTest>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <sndfile.h>

using namespace kavr::assets;
using namespace Qt::StringLiterals;

namespace {

// The chunks of a RIFF WAVE file in order; empty when they do not tile the file exactly.
QList<RiffChunk> Chunks(const QByteArray &wave)
{
    const RiffFile riff = ReadRiffChunks(wave);
    return riff.exact ? riff.chunks : QList<RiffChunk>{};
}

RiffChunk Find(const QList<RiffChunk> &chunks, const char *id)
{
    for (const RiffChunk &chunk : chunks)
        if (chunk.id == id)
            return chunk;
    return {};
}

// A chunk header declaring `declared` bytes, followed by `present` bytes of body.
QByteArray ChunkBytes(const char *id, quint32 declared, qsizetype present)
{
    QByteArray bytes(id, 4);
    bytes.resize(8);
    qToLittleEndian<quint32>(declared, bytes.data() + 4);
    return bytes + QByteArray(present, '\x5a');
}

QByteArray WaveHeader() { return QByteArray("RIFF\0\0\0\0WAVE", 12); }

quint16 U16(const QByteArray &bytes, qsizetype at) { return qFromLittleEndian<quint16>(bytes.constData() + at); }
quint32 U32(const QByteArray &bytes, qsizetype at) { return qFromLittleEndian<quint32>(bytes.constData() + at); }
qint16 S16(const QByteArray &bytes, qsizetype at) { return qFromLittleEndian<qint16>(bytes.constData() + at); }

double Peak(const PcmSound &sound, double fromS, double toS)
{
    const qsizetype from = qsizetype(fromS * sound.sampleRate);
    const qsizetype to = std::min(qsizetype(toS * sound.sampleRate), sound.samples.size());
    int peak = 0;
    for (qsizetype i = from; i < to; ++i)
        peak = std::max(peak, std::abs(int(sound.samples[i])));
    return peak / 32768.0;
}

double Rms(const PcmSound &sound)
{
    double sum = 0;
    for (qint16 s : sound.samples)
        sum += double(s) * s;
    return std::sqrt(sum / std::max<qsizetype>(1, sound.samples.size())) / 32768.0;
}

} // namespace

class TestSoundFiles : public QObject
{
    Q_OBJECT

private slots:
    void riffWalk_data();
    void riffWalk();
    void riffLayout_data();
    void riffLayout();
    void startIsMicrosoftAdpcm();
    void finishIsUnsigned8Bit();
    void embeddedFilesAreTheCommittedOnes_data();
    void embeddedFilesAreTheCommittedOnes();

    void namesMatchCaseInsensitively_data();
    void namesMatchCaseInsensitively();
    void unknownNamesGiveNothing_data();
    void unknownNamesGiveNothing();

    void decodesEveryStoredSample_data();
    void decodesEveryStoredSample();
    void decodesUnsigned8BitExactly();
    void paddedLastBlockDecodesToTheSameSamples();
    void finishIsAudibleOnlyInItsWindow();
    void refusesWhatIsNoWave_data();
    void refusesWhatIsNoWave();
};

void TestSoundFiles::riffWalk_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("formType");
    QTest::addColumn<QByteArrayList>("ids");
    QTest::addColumn<QList<qsizetype>>("offsets");
    QTest::addColumn<QList<qsizetype>>("available");
    QTest::addColumn<bool>("exact");
    const QByteArray header = WaveHeader();
    QTest::newRow("even sizes") << header + ChunkBytes("fmt ", 16, 16) + ChunkBytes("data", 4, 4)
                                << QByteArray("WAVE") << QByteArrayList{"fmt ", "data"}
                                << QList<qsizetype>{20, 44} << QList<qsizetype>{16, 4} << true;
    QTest::newRow("odd size, pad byte skipped")
        << header + ChunkBytes("data", 3, 4) + ChunkBytes("LIST", 2, 2) << QByteArray("WAVE")
        << QByteArrayList{"data", "LIST"} << QList<qsizetype>{20, 32} << QList<qsizetype>{3, 2}
        << true;
    QTest::newRow("odd size, pad byte missing at the end")
        << header + ChunkBytes("data", 3, 3) << QByteArray("WAVE") << QByteArrayList{"data"}
        << QList<qsizetype>{20} << QList<qsizetype>{3} << false;
    QTest::newRow("last chunk cut short")
        << header + ChunkBytes("fmt ", 16, 16) + ChunkBytes("data", 100, 10)
        << QByteArray("WAVE") << QByteArrayList{"fmt ", "data"} << QList<qsizetype>{20, 44}
        << QList<qsizetype>{16, 10} << false;
    QTest::newRow("size near 4 GB") << header + ChunkBytes("data", 0xFFFFFFFFu, 6)
                                      << QByteArray("WAVE") << QByteArrayList{"data"}
                                      << QList<qsizetype>{20} << QList<qsizetype>{6} << false;
    QTest::newRow("bytes short of a chunk header")
        << header + ChunkBytes("fmt ", 2, 2) + QByteArray("data") << QByteArray("WAVE")
        << QByteArrayList{"fmt "} << QList<qsizetype>{20} << QList<qsizetype>{2} << false;
    QTest::newRow("header only") << header << QByteArray("WAVE") << QByteArrayList{}
                                 << QList<qsizetype>{} << QList<qsizetype>{} << true;
    QTest::newRow("no RIFF header") << QByteArray("RIFX\0\0\0\0WAVEfmt \0\0\0\0", 20)
                                    << QByteArray() << QByteArrayList{} << QList<qsizetype>{}
                                    << QList<qsizetype>{} << false;
    QTest::newRow("shorter than a header") << QByteArray("RIFF\0\0\0\0WAV", 11) << QByteArray()
                                           << QByteArrayList{} << QList<qsizetype>{}
                                           << QList<qsizetype>{} << false;
}

void TestSoundFiles::riffWalk()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<qsizetype>, offsets);
    QFETCH(QList<qsizetype>, available);
    const RiffFile riff = ReadRiffChunks(bytes);
    QTEST(riff.formType, "formType");
    QTEST(riff.exact, "exact");
    QByteArrayList ids;
    for (qsizetype i = 0; i < riff.chunks.size(); ++i) {
        const RiffChunk &chunk = riff.chunks.at(i);
        ids << chunk.id;
        QCOMPARE(chunk.offset, offsets.value(i));
        QCOMPARE(chunk.available, available.value(i));
        // Only the last chunk can be cut short.
        QCOMPARE(chunk.truncated(), qsizetype(chunk.size) > chunk.available);
        QVERIFY(!chunk.truncated() || i == riff.chunks.size() - 1);
    }
    QTEST(ids, "ids");
    QCOMPARE(riff.find("data") != nullptr, ids.contains("data"));
}

void TestSoundFiles::riffLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArrayList>("order");
    QTest::addColumn<quint32>("fmtSize");
    QTest::addColumn<quint32>("dataSize");

    QTest::newRow("ID_START") << u"ID_START"_s << QByteArrayList{"fmt ", "fact", "data", "LIST", "DISP"}
                              << 50u << 23685u; // 46 blocks of 512 bytes and one of 133
    QTest::newRow("ID_FINISH") << u"ID_FINISH"_s << QByteArrayList{"fmt ", "data", "LIST", "DISP"}
                               << 16u << 41057u; // one byte a sample, then a pad byte
}

void TestSoundFiles::riffLayout()
{
    QFETCH(QString, name);
    QFETCH(QByteArrayList, order);
    QFETCH(quint32, fmtSize);
    QFETCH(quint32, dataSize);

    const QByteArray wave = WaveData(name);
    QCOMPARE(wave.left(4), QByteArray("RIFF"));
    QCOMPARE(U32(wave, 4), quint32(wave.size() - 8));
    QCOMPARE(wave.mid(8, 4), QByteArray("WAVE"));
    const QList<RiffChunk> chunks = Chunks(wave);
    QByteArrayList ids;
    for (const RiffChunk &chunk : chunks)
        ids << chunk.id;
    QCOMPARE(ids, order);
    QCOMPARE(Find(chunks, "fmt ").size, fmtSize);
    QCOMPARE(Find(chunks, "data").size, dataSize);
}

void TestSoundFiles::startIsMicrosoftAdpcm()
{
    const QByteArray wave = WaveData(u"ID_START"_s);
    const QList<RiffChunk> chunks = Chunks(wave);
    const qsizetype fmt = Find(chunks, "fmt ").offset;
    QVERIFY(fmt > 0);
    QCOMPARE(U16(wave, fmt), quint16(2));          // WAVE_FORMAT_ADPCM
    QCOMPARE(U16(wave, fmt + 2), quint16(1));      // mono
    QCOMPARE(U32(wave, fmt + 4), quint32(22050));
    QCOMPARE(U32(wave, fmt + 8), quint32(11155));  // bytes per second
    QCOMPARE(U16(wave, fmt + 12), quint16(512));   // block align
    QCOMPARE(U16(wave, fmt + 14), quint16(4));     // bits per sample
    QCOMPARE(U16(wave, fmt + 16), quint16(32));    // extra size
    QCOMPARE(U16(wave, fmt + 18), quint16(1012));  // samples per block
    QCOMPARE(U16(wave, fmt + 20), quint16(7));     // coefficient pairs
    const int standard[7][2] = {{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}};
    for (int i = 0; i < 7; ++i) {
        QCOMPARE(S16(wave, fmt + 22 + 4 * i), qint16(standard[i][0]));
        QCOMPARE(S16(wave, fmt + 24 + 4 * i), qint16(standard[i][1]));
    }
    const RiffChunk fact = Find(chunks, "fact");
    QCOMPARE(fact.size, 4u);
    QCOMPARE(U32(wave, fact.offset), 46806u);
    // The data holds exactly the blocks that 46 806 samples need: 46 full, 254 samples in the last.
    QCOMPARE(Find(chunks, "data").size, 46u * 512 + 7 + (254 - 2) / 2);
}

void TestSoundFiles::finishIsUnsigned8Bit()
{
    const QByteArray wave = WaveData(u"ID_FINISH"_s);
    const QList<RiffChunk> chunks = Chunks(wave);
    const qsizetype fmt = Find(chunks, "fmt ").offset;
    QVERIFY(fmt > 0);
    QCOMPARE(U16(wave, fmt), quint16(1));         // PCM
    QCOMPARE(U16(wave, fmt + 2), quint16(1));
    QCOMPARE(U32(wave, fmt + 4), quint32(22050));
    QCOMPARE(U32(wave, fmt + 8), quint32(22050));
    QCOMPARE(U16(wave, fmt + 12), quint16(1));
    QCOMPARE(U16(wave, fmt + 14), quint16(8));

    // libsndfile agrees on the encoding and the length.
    QFile file(qEnvironmentVariable("KAVR_SOURCE_DIR") + u"/assets/sounds/ID_FINISH.wav"_s);
    SF_INFO info{};
    SNDFILE *sf = sf_open(QFile::encodeName(file.fileName()).constData(), SFM_READ, &info);
    QVERIFY2(sf, sf_strerror(nullptr));
    sf_close(sf);
    QCOMPARE(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
    QCOMPARE(info.frames, sf_count_t(41057));
}

void TestSoundFiles::embeddedFilesAreTheCommittedOnes_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("ID_START") << u"ID_START"_s;
    QTest::newRow("ID_FINISH") << u"ID_FINISH"_s;
}

void TestSoundFiles::embeddedFilesAreTheCommittedOnes()
{
    QFETCH(QString, name);
    QFile file(qEnvironmentVariable("KAVR_SOURCE_DIR") + u"/assets/sounds/"_s + name + u".wav"_s);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    QCOMPARE(WaveData(name), file.readAll());
}

void TestSoundFiles::namesMatchCaseInsensitively_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stored");
    QTest::newRow("ID_start, as the start-up plays it") << u"ID_start"_s << u"ID_START"_s;
    QTest::newRow("ID_Finish, as the test end plays it") << u"ID_Finish"_s << u"ID_FINISH"_s;
    QTest::newRow("lower case") << u"id_start"_s << u"ID_START"_s;
    QTest::newRow("stored spelling") << u"ID_FINISH"_s << u"ID_FINISH"_s;
}

void TestSoundFiles::namesMatchCaseInsensitively()
{
    QFETCH(QString, name);
    QFETCH(QString, stored);
    const QByteArray wave = WaveData(name);
    QVERIFY(wave.startsWith("RIFF"));
    QFile file(u":/sounds/"_s + stored + u".wav"_s);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(wave, file.readAll());
}

void TestSoundFiles::unknownNamesGiveNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << QString();
    QTest::newRow("other name") << u"ID_STOP"_s;
    QTest::newRow("with extension") << u"ID_START.wav"_s;
    QTest::newRow("prefix only") << u"ID_"_s;
    QTest::newRow("path") << u"../sounds/ID_START"_s;
}

void TestSoundFiles::unknownNamesGiveNothing()
{
    QFETCH(QString, name);
    QVERIFY(WaveData(name).isEmpty());
}

void TestSoundFiles::decodesEveryStoredSample_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qsizetype>("frames");
    QTest::newRow("ID_START") << u"ID_START"_s << qsizetype(46806);
    QTest::newRow("ID_FINISH") << u"ID_FINISH"_s << qsizetype(41057);
}

void TestSoundFiles::decodesEveryStoredSample()
{
    QFETCH(QString, name);
    QFETCH(qsizetype, frames);
    const PcmSound sound = DecodeWave(WaveData(name));
    QCOMPARE(sound.sampleRate, 22050);
    QCOMPARE(sound.channels, 1);
    QCOMPARE(sound.samples.size(), frames);
    QVERIFY2(Rms(sound) > 0.03, "the sound is silent");
}

void TestSoundFiles::decodesUnsigned8BitExactly()
{
    const QByteArray wave = WaveData(u"ID_FINISH"_s);
    const RiffChunk data = Find(Chunks(wave), "data");
    const PcmSound sound = DecodeWave(wave);
    QCOMPARE(sound.samples.size(), qsizetype(data.size));
    for (qsizetype i = 0; i < sound.samples.size(); ++i) {
        const int stored = quint8(wave[data.offset + i]);
        if (sound.samples[i] != (stored - 128) * 256)
            QFAIL(qPrintable(u"sample %1: %2 from byte %3"_s.arg(i).arg(sound.samples[i]).arg(stored)));
    }
}

// The start sound's last block is shorter than a block, as Windows encoders write it. The same
// samples in a last block padded to full size, with "fact" still saying 46 806, decode alike.
void TestSoundFiles::paddedLastBlockDecodesToTheSameSamples()
{
    const QByteArray wave = WaveData(u"ID_START"_s);
    const RiffChunk data = Find(Chunks(wave), "data");
    QVERIFY(data.size % 512 != 0);
    const quint32 paddedSize = (data.size / 512 + 1) * 512;
    QByteArray padded = wave.left(data.offset + data.size) + QByteArray(paddedSize - data.size, '\0');
    qToLittleEndian<quint32>(paddedSize, padded.data() + data.offset - 4);
    qToLittleEndian<quint32>(quint32(padded.size() - 8), padded.data() + 4);

    const PcmSound original = DecodeWave(wave);
    const PcmSound fromPadded = DecodeWave(padded);
    QCOMPARE(fromPadded.samples.size(), qsizetype(46806));
    QCOMPARE(fromPadded.samples, original.samples);
    // The samples of the short block are there and carry the fade-out, not padding noise.
    QVERIFY(Peak(original, 46552.0 / 22050, 46806.0 / 22050) < 0.05);
}

void TestSoundFiles::finishIsAudibleOnlyInItsWindow()
{
    const PcmSound sound = DecodeWave(WaveData(u"ID_FINISH"_s));
    QVERIFY(Peak(sound, 0.0, 0.040) < 0.01);
    QVERIFY(Peak(sound, 0.045, 0.060) > 0.1);
    for (double t = 0.05; t < 1.55; t += 0.1)
        QVERIFY2(Peak(sound, t, t + 0.1) > 0.02, qPrintable(u"quiet at %1 s"_s.arg(t)));
    QVERIFY(Peak(sound, 1.67, 2.0) < 0.01);
}

void TestSoundFiles::refusesWhatIsNoWave_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray start = WaveData(u"ID_START"_s);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QByteArray("RIFF but no wave at all, only some text here");
    QTest::newRow("header cut inside fmt") << start.left(40);
    QTest::newRow("no data chunk") << start.left(82);
    QTest::newRow("zeros") << QByteArray(4096, '\0');
}

void TestSoundFiles::refusesWhatIsNoWave()
{
    QFETCH(QByteArray, bytes);
    const PcmSound sound = DecodeWave(bytes);
    QCOMPARE(sound.sampleRate, 0);
    QCOMPARE(sound.channels, 0);
    QVERIFY(sound.samples.isEmpty());
}

QTEST_GUILESS_MAIN(TestSoundFiles)
#include "test_soundfiles.moc"
