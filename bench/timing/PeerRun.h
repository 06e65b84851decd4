#pragma once
// One run of the browser peer: jsPsych in Chromium under the bench's X server, served from
// the peer folder by a small local server that also takes the data jsPsych sends at the end.
// Its page shows the twelve figures where the program does, for 30 000 ms, then either twelve
// one-click placements (image-button-response, the figure shown and the twelve numbered
// panels as buttons) or one answer screen left alone for 60 000 ms, then a closing message.
#include "RunResult.h"
#include "harness/ScreenWatcher.h"
#include "harness/XInput.h"

#include <QProcess>
#include <QString>

namespace kavr::bench {

class PeerRun
{
public:
    PeerRun(harness::ScreenWatcher &watcher, harness::XInput &input, QString display, QString chromium,
            QString peerFolder, QString workFolder);
    ~PeerRun();

    // Starts the local server; false, with errorString(), when it does not come up.
    bool start();
    QString errorString() const { return m_error; }
    RunResult run(int index, bool placements);

private:
    harness::ScreenWatcher &m_watcher;
    harness::XInput &m_input;
    QString m_display;
    QString m_chromium;
    QString m_peerFolder;
    QString m_workFolder;
    QString m_error;
    QProcess m_server;
    int m_port = 0;
};

} // namespace kavr::bench
