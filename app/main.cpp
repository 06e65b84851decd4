// KAVR.IM: a test of short-term figurative memory, one subject at a time.
#include "app/KavrApplication.h"
#include "platform/DesktopServices.h"
#include "testing/TForm1.h"
#include "testing/core/Clock.h"
#include "testing/core/Format.h"
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
    kavr::TForm1 form(*desktop, clock, kavr::DefaultSaveTarget(QCoreApplication::applicationDirPath()),
                      kavr::FormatSettings::system());
    kavr::ui::TAboutBox aboutBox(form, &form);
    form.setAboutBox(&aboutBox);

    // Maximised: the work area, also where no window manager maximises it.
    form.setGeometry(form.screen()->availableGeometry());
    form.showMaximized();
    return app.exec();
}
