#include "support/ChildLocale.h"

namespace kavr::test {

ChildLocale::ChildLocale(const QString &locale)
    : m_environment(QProcessEnvironment::systemEnvironment())
{
    for (const char *name : {"LANGUAGE", "LC_NUMERIC", "LC_TIME"})
        m_environment.remove(QString::fromLatin1(name));
    m_environment.insert(QStringLiteral("LC_ALL"), locale);
    m_environment.insert(QStringLiteral("LANG"), locale);
}

ChildLocale::~ChildLocale() = default;

} // namespace kavr::test
