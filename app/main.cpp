// KAVR.IM: a test of short-term figurative memory, one subject at a time.
#include "app/KavrApplication.h"
#include "platform/DesktopServices.h"
#include "platform/FileSync.h"
#include "testing/TForm1.h"
#include "testing/core/Clock.h"
#include "testing/core/Format.h"
#include "testing/core/JournalRecovery.h"
#include "testing/core/ProtocolFile.h"
#include "ui/LookAndFeel.h"
#include "ui/TAboutBox.h"

#include <QScreen>

int main(int argc, char *argv[])
{
    kavr::KavrApplication app(argc, argv);
    kavr::ui::ApplyLookAndFeel(app);

    const auto desktop = kavr::platform::CreateDesktopServices();
    kavr::SystemClock clock;
    const kavr::SaveTarget saveTarget = kavr::DefaultSaveTarget(QCoreApplication::applicationDirPath());
    // Tests that an earlier start left unfinished become recovered protocols before anyone is
    // tested.
    const kavr::RecoveryReport recovery = kavr::RecoverJournals(saveTarget);
    kavr::TForm1 form(*desktop, clock, saveTarget, kavr::FormatSettings::system(),
                      kavr::platform::SyncFileToDisk);
    form.setRecoveryNotice(recovery.noticeLines(saveTarget.resultDir));
    kavr::ui::TAboutBox aboutBox(form, &form);
    form.setAboutBox(&aboutBox);

    // Maximised: the work area, also where no window manager maximises it.
    form.setGeometry(form.screen()->availableGeometry());
    form.showMaximized();
    return app.exec();
}
