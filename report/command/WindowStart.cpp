#include "report/command/WindowStart.h"

#include "report/command/ReportOptions.h"
#include "report/translations/ReportTranslations.h"
#include "report/window/ReportWindow.h"

#include <QApplication>
#include <QMessageBox>

#include <cstring>

namespace kavr::report {

bool StartsAsWindow(int argc, char *argv[], bool fromDesktop)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--window") == 0)
            return true;
    }
    // A folder dropped on the program's icon comes as its one argument.
    return fromDesktop && (argc == 1 || (argc == 2 && argv[1][0] != '-'));
}

int RunReportWindow(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kavr-im-report"));
    QApplication::setApplicationVersion(QStringLiteral(KAVR_VERSION));
    InstallReportTranslators();
    const OptionsOutcome parsed = ParseReportOptions(app.arguments().mid(1), QLocale::system(),
                                                     QApplication::applicationDirPath()
                                                         + QStringLiteral("/Result"));
    if (!parsed.options) {
        QMessageBox::critical(nullptr, QStringLiteral("kavr-im-report"), parsed.error);
        return 2;
    }
    ReportWindow window(*parsed.options, QStringLiteral("kavr-im-report " KAVR_VERSION));
    window.show();
    return app.exec();
}

} // namespace kavr::report
