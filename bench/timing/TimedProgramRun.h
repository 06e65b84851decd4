#pragma once
// One complete test of the real program under the bench's X server, timed: started from a
// copy in a folder of its own (harness::ProgramRun; the protocol goes beside it), logged in
// through the about box, subject entry, instruction, F1, exposure, then twelve placements or
// none, closing message; the times seen on screen and sent as input are compared with the
// protocol it wrote. Or the same of the Windows package under Wine (harness::WineSession):
// started in the running Wine desktop, logged in through the system menu.
#include "RunResult.h"
#include "harness/ScreenWatcher.h"
#include "harness/WineSession.h"
#include "harness/XInput.h"
#include "harness/XvfbSession.h"

#include <QString>

#include <optional>

namespace kavr::bench {

class TimedProgramRun final
{
public:
    // None is owned; all must outlive the runs. Each run's folder lies below workFolder.
    TimedProgramRun(const harness::XvfbSession &server, harness::ScreenWatcher &watcher,
                    harness::XInput &input, QString program, QString workFolder);
    // Under Wine: exe unpacked from the package, run in wine's session.
    TimedProgramRun(const harness::XvfbSession &server, harness::ScreenWatcher &watcher,
                    harness::XInput &input, harness::WineSession &wine, QString exe, QString workFolder);

    RunResult run(int index, bool placements);
    // Journals and planted names put into Result before each start (PlantedJournals.h).
    void setPlantedJournals(int count) { m_plantedJournals = count; }
    // From the next run on, whether the system is to refuse the program a real-time priority
    // (harness::ProgramRun::refuseRealTime); under Wine the program runs as started.
    void refuseRealTime(bool refuse) { m_refuseRealTime = refuse; }

private:
    const harness::XvfbSession &m_server;
    harness::ScreenWatcher &m_watcher;
    harness::XInput &m_input;
    // Where the main window's client area lies under Wine, learnt from a first start; false
    // when the window never came.
    bool learnWineOrigin();

    QString m_program;
    QString m_workFolder;
    harness::WineSession *m_wine = nullptr;
    std::optional<QPoint> m_wineOrigin;
    int m_plantedJournals = 0;
    bool m_refuseRealTime = false;
};

} // namespace kavr::bench
