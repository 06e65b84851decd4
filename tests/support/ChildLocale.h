#pragma once
// Child processes under the regional settings of a locale named as on POSIX ("ru_RU.UTF-8",
// "en_US.UTF-8", "C"). On Linux they are the environment's LANG and LC_ALL. Windows reads none
// of it from the environment: there the user's own settings (decimal mark, short date, long
// time, as Control Panel keeps them) are set to the locale's for as long as the object lives,
// and what was there is put back after.
#include <QProcessEnvironment>
#include <QString>

#include <optional>

namespace kavr::test {

class ChildLocale final
{
public:
    explicit ChildLocale(const QString &locale);
    ~ChildLocale();
    ChildLocale(const ChildLocale &) = delete;
    ChildLocale &operator=(const ChildLocale &) = delete;

    // The environment to start a child with.
    QProcessEnvironment environment() const { return m_environment; }

private:
    QProcessEnvironment m_environment;
    std::optional<QString> m_saved[3]; // Windows: the user's settings before
};

} // namespace kavr::test
