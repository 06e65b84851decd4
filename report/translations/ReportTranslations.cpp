#include "report/translations/ReportTranslations.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

namespace kavr::report {

bool InstallReportTranslators()
{
    for (const QString &name : QLocale::system().uiLanguages()) {
        const QLocale::Language language = QLocale(name).language();
        if (language == QLocale::English)
            return false;
        if (language != QLocale::Russian)
            continue; // a language the report does not speak: the user's next one
        // Qt's first, so that the report's own words win where both have a text.
        for (const char *file : {":/i18n/qtbase_ru.qm", ":/i18n/kavr-im-report_ru.qm"}) {
            auto *translator = new QTranslator(QCoreApplication::instance());
            if (translator->load(QString::fromLatin1(file)))
                QCoreApplication::installTranslator(translator);
            else
                delete translator;
        }
        return true;
    }
    return false;
}

} // namespace kavr::report
