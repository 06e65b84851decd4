#pragma once
// One complete test of the real program under the bench's X server: started from a copy in a
// folder of its own (the protocol goes beside it), logged in through the about box, subject
// entry, instruction, F1, exposure, then twelve placements or none, closing message; the
// times seen on screen and sent as input are compared with the protocol it wrote.
#include "InputDriver.h"
#include "RunResult.h"
#include "ScreenWatcher.h"

#include <QString>

namespace kavr::bench {

class ProgramRun
{
public:
    ProgramRun(ScreenWatcher &watcher, InputDriver &input, QString display, QString program,
               QString workFolder);

    RunResult run(int index, bool placements);

private:
    ScreenWatcher &m_watcher;
    InputDriver &m_input;
    QString m_display;
    QString m_program;
    QString m_workFolder;
};

} // namespace kavr::bench
