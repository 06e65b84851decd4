#include "support/ChildLocale.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <string>

namespace kavr::test {

namespace {

const wchar_t *const International = L"Control Panel\\International";
// The decimal mark, the short date and the long time, in Windows' own format letters.
const wchar_t *const Names[] = {L"sDecimal", L"sShortDate", L"sTimeFormat"};

std::optional<QString> ReadValue(const wchar_t *name)
{
    wchar_t buffer[256] = {};
    DWORD size = sizeof buffer;
    if (::RegGetValueW(HKEY_CURRENT_USER, International, name, RRF_RT_REG_SZ, nullptr, buffer, &size)
        != ERROR_SUCCESS)
        return std::nullopt;
    return QString::fromWCharArray(buffer);
}

void WriteValue(const wchar_t *name, const std::optional<QString> &value)
{
    if (!value) {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, International, name);
        return;
    }
    const std::wstring text = value->toStdWString();
    ::RegSetKeyValueW(HKEY_CURRENT_USER, International, name, REG_SZ, text.c_str(),
                      DWORD((text.size() + 1) * sizeof(wchar_t)));
}

} // namespace

ChildLocale::ChildLocale(const QString &locale)
    : m_environment(QProcessEnvironment::systemEnvironment())
{
    const bool russian = locale.startsWith(QLatin1String("ru"));
    const QString settings[3] = {
        russian ? QStringLiteral(",") : QStringLiteral("."),
        russian ? QStringLiteral("dd.MM.yyyy") : QStringLiteral("M/d/yyyy"),
        russian ? QStringLiteral("H:mm:ss") : QStringLiteral("h:mm:ss tt"),
    };
    for (int i = 0; i < 3; ++i) {
        m_saved[i] = ReadValue(Names[i]);
        WriteValue(Names[i], settings[i]);
    }
}

ChildLocale::~ChildLocale()
{
    for (int i = 0; i < 3; ++i)
        WriteValue(Names[i], m_saved[i]);
}

} // namespace kavr::test
