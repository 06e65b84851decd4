#include "platform/desktop/SoundPlayer.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

namespace kavr::platform {

namespace {

// The sink turns idle once the last data has gone to the device, well before the device has
// played it, and the device may start late (a sound server resuming a suspended output takes
// seconds). The sound is over when the sink reports it played, plus a short tail for the
// device's own buffer; a device that never gets there is given up after kMaxDelayMs.
constexpr int kPollMs = 50;
constexpr int kTailMs = 300;
constexpr int kMaxDelayMs = 5000;

} // namespace

SoundPlayer::SoundPlayer(QObject *parent)
    : QObject(parent)
{
    m_endTimer.setSingleShot(true);
    m_endTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_endTimer, &QTimer::timeout, this, &SoundPlayer::onEndTimer);
}

SoundPlayer::~SoundPlayer()
{
    stop();
}

void SoundPlayer::play(const QString &name, const assets::PcmSound &sound)
{
    stop();
    if (sound.sampleRate <= 0 || sound.channels <= 0 || sound.samples.isEmpty())
        return;

    m_current = name;
    const qint64 frames = sound.samples.size() / sound.channels;
    const int lengthMs = int(frames * 1000 / sound.sampleRate);

    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (!device.isNull()) {
        QAudioFormat format;
        format.setSampleRate(sound.sampleRate);
        format.setChannelCount(sound.channels);
        format.setSampleFormat(QAudioFormat::Int16);
        if (device.isFormatSupported(format)) {
            m_source.setData(reinterpret_cast<const char *>(sound.samples.constData()),
                             sound.samples.size() * qsizetype(sizeof(qint16)));
            m_source.open(QIODevice::ReadOnly);
            m_sink = std::make_unique<QAudioSink>(device, format);
            m_sink->start(&m_source);
            if (m_sink->error() != QAudio::NoError) {
                m_sink.reset();
                m_source.close();
            }
        }
    }
    m_lengthMs = lengthMs;
    m_draining = false;
    m_clock.start();
    m_endTimer.start(lengthMs);
}

void SoundPlayer::stop()
{
    m_endTimer.stop();
    if (m_sink) {
        m_sink->stop();
        m_sink.reset();
    }
    m_source.close();
    m_source.setData(QByteArray());
    m_current.clear();
}

void SoundPlayer::onEndTimer()
{
    if (m_sink && !m_draining) {
        const bool played = m_sink->processedUSecs() / 1000 + kPollMs >= m_lengthMs;
        const bool givenUp = m_clock.elapsed() > m_lengthMs + kMaxDelayMs;
        if (!played && !givenUp && m_sink->state() != QAudio::StoppedState) {
            m_endTimer.start(kPollMs);
            return;
        }
        m_draining = true;
        m_endTimer.start(kTailMs);
        return;
    }
    const QString name = m_current;
    stop();
    emit finished(name);
}

} // namespace kavr::platform
