#include "support/TestSettings.h"

namespace kavr::test {

FormatSettings Russian()
{
    return FormatSettings::fromLocale(QLocale(QLocale::Russian, QLocale::Russia));
}

FormatSettings American()
{
    return FormatSettings::fromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
}

FormatSettings RussianSettings()
{
    FormatSettings settings;
    settings.decimalSeparator = QStringLiteral(",");
    settings.shortDateFormat = QStringLiteral("dd.MM.yyyy");
    settings.longTimeFormat = QStringLiteral("HH:mm:ss");
    return settings;
}

} // namespace kavr::test
