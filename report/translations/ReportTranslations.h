#pragma once
// The results report's words in the user's language: Russian where the first of the system's
// languages (QLocale::system().uiLanguages()) that the report speaks is Russian, English (the
// source texts) otherwise. The report's own translation and Qt's (its command line, standard
// buttons, file dialogs) are built into the program; nothing is read from disk.

namespace kavr::report {

// Installs the translators into the running QCoreApplication, which owns them. Call once, after
// the application object is made and before the first translated text is. True when the report
// now speaks Russian.
bool InstallReportTranslators();

} // namespace kavr::report
