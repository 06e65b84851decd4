#pragma once
// Watches an X screen from outside the watched program: polls small areas of the root window
// (MIT-SHM where the server offers it, else XGetImage) and dates, on CLOCK_MONOTONIC, the
// moment each area came to show what a condition asks for. Also dates the mapping of
// top-level windows. One thread; the connection is its own.
#include "harness/ScreenProbe.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

struct _XDisplay;
struct _XImage;

namespace kavr::harness {

// When a probe came to hold: between the last sample that did not show it and the first that
// did (each sample dated at the middle of its round trip to the server).
struct Transition
{
    std::int64_t lastFalseNs = 0;
    std::int64_t firstTrueNs = 0;

    std::int64_t atNs() const { return lastFalseNs + (firstTrueNs - lastFalseNs) / 2; }
    std::int64_t uncertaintyNs() const { return (firstTrueNs - lastFalseNs) / 2; }
};

struct MappedWindow
{
    unsigned long id = 0;
    QRect geometry;         // root coordinates
    std::int64_t atNs = 0;  // when the map notification was read
};

struct WatchPace
{
    std::int64_t fineFromNs = 0;              // before this moment, poll coarsely
    std::int64_t coarsePeriodNs = 10'000'000; // 10 ms
    std::int64_t finePeriodNs = 200'000;      // 0.2 ms
};

class ScreenWatcher final
{
public:
    ScreenWatcher();
    ~ScreenWatcher();
    ScreenWatcher(const ScreenWatcher &) = delete;
    ScreenWatcher &operator=(const ScreenWatcher &) = delete;

    // Connects to the display; false, with errorString(), when it cannot.
    bool open(const QString &display);
    QString errorString() const { return m_error; }
    bool usesSharedMemory() const { return m_shmImageData != nullptr; }
    QSize screenSize() const;

    // A part of the screen as it is now, Format_RGB32; null when the area leaves the screen.
    QImage grab(const QRect &area);

    // Polls every probe until each holds or the deadline passes; one Transition per probe,
    // empty where it never held. sinceNs is the earliest moment a probe could have changed:
    // a probe that holds at its first sample is dated from there.
    std::vector<std::optional<Transition>> waitFor(const std::vector<ScreenProbe> &probes,
                                                   std::int64_t sinceNs, std::int64_t deadlineNs,
                                                   const WatchPace &pace = {});

    // From now on, map notifications of top-level windows are collected; call this before the
    // watched program starts.
    void watchMaps();
    // The first top-level window at least minSize mapped since watchMaps(); empty at the
    // deadline.
    std::optional<MappedWindow> waitForMappedWindow(QSize minSize, std::int64_t deadlineNs);

private:
    bool attachSharedMemory();
    void detachSharedMemory();

    _XDisplay *m_display = nullptr;
    QString m_error;
    int m_shmId = -1;
    char *m_shmImageData = nullptr;
    std::size_t m_shmBytes = 0;
    void *m_shmInfo = nullptr; // XShmSegmentInfo, kept out of this header with Xlib's macros
};

} // namespace kavr::harness
