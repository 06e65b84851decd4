#include "app/KavrApplication.h"

#include "ui/GeneralErrorHandler.h"

namespace kavr {

KavrApplication::KavrApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("KAVR.IM"));
}

bool KavrApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    ui::RunGuarded([](const QString &text) { ui::ShowErrorMessage(activeWindow(), text); },
                   [&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

} // namespace kavr
