#pragma once
// Fire-and-forget playback of one decoded sound at a time through the default audio output.
// A new sound cuts the one still playing. Without an audio output the sound runs silently for
// its length, so that the player's state reads the same on every machine and nothing blocks.
#include "assets/SoundBank.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QAudioSink;

namespace kavr::platform {

class SoundPlayer final : public QObject
{
    Q_OBJECT

public:
    explicit SoundPlayer(QObject *parent = nullptr);
    ~SoundPlayer() override;

    // Starts sound under name and returns at once. A sound that cannot be played (no samples)
    // only stops the one playing.
    void play(const QString &name, const assets::PcmSound &sound);
    void stop();

    // The name of the sound playing, empty when none is.
    QString currentSound() const { return m_current; }
    bool isPlaying() const { return !m_current.isEmpty(); }
    // Whether the sound playing reaches an audio device (false: it runs silently).
    bool isAudible() const { return m_sink != nullptr; }

signals:
    // The sound has played to its end (not emitted when it was cut or stopped).
    void finished(const QString &name);

private:
    void onEndTimer();

    QString m_current;
    QBuffer m_source; // the samples, read by the sink
    std::unique_ptr<QAudioSink> m_sink;
    QTimer m_endTimer;
    QElapsedTimer m_clock; // since the sound started
    qint64 m_lengthMs = 0;
    bool m_draining = false; // played; the device's buffer empties
};

} // namespace kavr::platform
