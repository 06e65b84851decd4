// KAVR.IM: a test of short-term figurative memory, one subject at a time.
#include "app/KavrApplication.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/desktop/WorkAreaWindow.h"
#include "platform/files/FileAccess.h"
#include "testing/TForm1.h"
#include "testing/core/CarriedNotice.h"
#include "testing/core/Clock.h"
#include "testing/core/Format.h"
#include "testing/core/JournalRecovery.h"
#include "testing/core/ProtocolFile.h"
#include "ui/GeneralErrorHandler.h"
#include "ui/LookAndFeel.h"
#include "ui/TAboutBox.h"

#include <QScreen>

#include <atomic>
#include <thread>

int main(int argc, char *argv[])
{
    kavr::KavrApplication app(argc, argv);
    kavr::ui::ApplyLookAndFeel(app);

    const auto desktop = kavr::platform::CreateDesktopServices();
    kavr::SystemClock clock;
    const kavr::SaveTarget saveTarget = kavr::DefaultSaveTarget(QCoreApplication::applicationDirPath());
    kavr::TForm1 form(*desktop, clock, saveTarget, kavr::FormatSettings::system(),
                      kavr::platform::SyncFile);
    kavr::ui::TAboutBox aboutBox(form, &form);
    form.setAboutBox(&aboutBox);

    // Tests that an earlier start left unfinished become recovered protocols, on a thread of
    // their own: a shared folder full of journals, or a slow file server, never delays the
    // window, and the operator reads the notice once logged in, before anyone is tested.
    // Should the window close first, the recovery ends with the journal in hand (the rest waits
    // for the next start), and the next start tells what it did.
    std::atomic<bool> closing = false;
    std::atomic<bool> told = false;
    kavr::RecoveryReport report;
    std::thread recovery([&saveTarget, &form, &closing, &told, &report] {
        report = kavr::RecoverJournals(saveTarget, &closing);
        QMetaObject::invokeMethod(
            &form,
            [&form, &told, &report] {
                form.setRecoveryNotice(report);
                told = true;
            },
            Qt::QueuedConnection);
    });

    // Maximised: the work area, also where no window manager maximises it, and held there
    // whatever a window manager's frame offers.
    form.setGeometry(form.screen()->availableGeometry());
    kavr::platform::KeepOnWorkArea(*form.windowHandle());
    form.showMaximized();
    const int status = app.exec();
    closing = true;
    recovery.join(); // a recovery under way finishes the journal in hand
    if (!told) {
        const QStringList lines = report.carriedLines();
        const QString problem = kavr::CarriedNotice().keep(lines);
        if (!problem.isEmpty())
            kavr::ui::ShowErrorMessage(nullptr, problem + u'\n' + lines.join(u'\n'));
    }
    return status;
}
