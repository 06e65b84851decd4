// The sound player: returns at once, one sound at a time, a new sound cuts the one playing, and
// on a machine without audio output the sound runs silently for its length.
#include "platform/desktop/SoundPlayer.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSignalSpy>
#include <QTest>

using namespace kavr;
using namespace Qt::StringLiterals;

namespace {

assets::PcmSound Tone(int milliseconds)
{
    assets::PcmSound sound;
    sound.sampleRate = 22050;
    sound.channels = 1;
    sound.samples.resize(sound.sampleRate * milliseconds / 1000);
    for (qsizetype i = 0; i < sound.samples.size(); ++i)
        sound.samples[i] = qint16((i % 50 < 25) ? 4000 : -4000);
    return sound;
}

} // namespace

class TestSoundPlayer : public QObject
{
    Q_OBJECT

private slots:
    void playReturnsWithTheSoundRunning();
    void audibleOnlyWithAnAudioOutput();
    void newSoundCutsTheOnePlaying();
    void soundEndsAfterItsLength();
    void unplayableSoundOnlyStopsTheOnePlaying_data();
    void unplayableSoundOnlyStopsTheOnePlaying();
    void stopEndsWithoutFinishing();
    void playsTheDecodedStartSound();
};

void TestSoundPlayer::playReturnsWithTheSoundRunning()
{
    platform::SoundPlayer player;
    QVERIFY(!player.isPlaying());
    player.play(u"ID_start"_s, Tone(3000));
    QVERIFY(player.isPlaying());
    QCOMPARE(player.currentSound(), u"ID_start"_s);
}

void TestSoundPlayer::audibleOnlyWithAnAudioOutput()
{
    platform::SoundPlayer player;
    player.play(u"tone"_s, Tone(500));
    QCOMPARE(player.isAudible(), !QMediaDevices::defaultAudioOutput().isNull());
}

void TestSoundPlayer::newSoundCutsTheOnePlaying()
{
    platform::SoundPlayer player;
    QSignalSpy finished(&player, &platform::SoundPlayer::finished);
    player.play(u"first"_s, Tone(3000));
    player.play(u"second"_s, Tone(200));
    QCOMPARE(player.currentSound(), u"second"_s);
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
    QCOMPARE(finished.at(0).at(0).toString(), u"second"_s);
    QVERIFY(!player.isPlaying());
    // The first sound, cut, never finishes.
    QTest::qWait(300);
    QCOMPARE(finished.size(), 1);
}

void TestSoundPlayer::soundEndsAfterItsLength()
{
    platform::SoundPlayer player;
    QSignalSpy finished(&player, &platform::SoundPlayer::finished);
    player.play(u"short"_s, Tone(150));
    QVERIFY(player.isPlaying());
    QTRY_VERIFY_WITH_TIMEOUT(!player.isPlaying(), 5000);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(player.currentSound(), QString());
}

void TestSoundPlayer::unplayableSoundOnlyStopsTheOnePlaying_data()
{
    QTest::addColumn<int>("sampleRate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("samples");
    QTest::newRow("decoding failed") << 0 << 0 << 0;
    QTest::newRow("no samples") << 22050 << 1 << 0;
    QTest::newRow("no rate") << 0 << 1 << 100;
    QTest::newRow("no channels") << 22050 << 0 << 100;
}

void TestSoundPlayer::unplayableSoundOnlyStopsTheOnePlaying()
{
    QFETCH(int, sampleRate);
    QFETCH(int, channels);
    QFETCH(int, samples);
    assets::PcmSound broken;
    broken.sampleRate = sampleRate;
    broken.channels = channels;
    broken.samples.resize(samples);

    platform::SoundPlayer player;
    QSignalSpy finished(&player, &platform::SoundPlayer::finished);
    player.play(u"playing"_s, Tone(3000));
    player.play(u"broken"_s, broken);
    QVERIFY(!player.isPlaying());
    QVERIFY(!player.isAudible());
    QCOMPARE(finished.size(), 0);
}

void TestSoundPlayer::stopEndsWithoutFinishing()
{
    platform::SoundPlayer player;
    QSignalSpy finished(&player, &platform::SoundPlayer::finished);
    player.play(u"tone"_s, Tone(100));
    player.stop();
    QVERIFY(!player.isPlaying());
    QTest::qWait(300);
    QCOMPARE(finished.size(), 0);
}

void TestSoundPlayer::playsTheDecodedStartSound()
{
    const assets::PcmSound start = assets::DecodeWave(assets::WaveData(u"ID_START"_s));
    QCOMPARE(start.samples.size(), qsizetype(46806));
    platform::SoundPlayer player;
    player.play(u"ID_START"_s, start);
    QVERIFY(player.isPlaying());
    QCOMPARE(player.currentSound(), u"ID_START"_s);
}

QTEST_GUILESS_MAIN(TestSoundPlayer)
#include "test_soundplayer.moc"
