#include "testing/core/SubjectEntryCheck.h"

#include "testing/core/CodePage.h"
#include "testing/core/ProtocolFile.h"

#include <array>

namespace kavr {

namespace {

using Field = EntryProblem::Field;

// Linux counts a name in bytes (UTF-8, two for a Cyrillic letter), Windows in UTF-16 units:
// the former is the stricter.
constexpr qsizetype MaxFileNameBytes = 255;

// Characters Windows refuses in file names ('/' also on Linux).
constexpr QStringView ForbiddenInFileName = u"\\/:*?\"<>|";

// Device names Windows opens instead of a file, with or without an extension.
constexpr std::array<QStringView, 32> DeviceNames = {
    u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$",
    u"COM0", u"COM1", u"COM2", u"COM3", u"COM4", u"COM5", u"COM6", u"COM7", u"COM8", u"COM9",
    u"LPT0", u"LPT1", u"LPT2", u"LPT3", u"LPT4", u"LPT5", u"LPT6", u"LPT7", u"LPT8", u"LPT9",
    u"COM\u00B9", u"COM\u00B2", u"COM\u00B3", u"LPT\u00B9", u"LPT\u00B2", u"LPT\u00B3"};

std::optional<EntryProblem> Problem(Field field, const QString &reason)
{
    return EntryProblem{field, reason};
}

bool IsControl(QChar c)
{
    // C0, DEL and C1 (U+0085 next line among them), and the Unicode line separators.
    return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F)
        || c.unicode() == 0x2028 || c.unicode() == 0x2029;
}

bool HasControl(const QString &text)
{
    for (QChar c : text)
        if (IsControl(c))
            return true;
    return false;
}

qsizetype CharacterCount(const QString &text)
{
    qsizetype count = 0;
    for (QChar c : text)
        if (!c.isLowSurrogate())
            ++count;
    return count;
}

// The device name the code would open on Windows, or an empty view.
QStringView DeviceName(const QString &code)
{
    QString stem = code.section(u'.', 0, 0);
    while (stem.endsWith(u' '))
        stem.chop(1);
    stem = stem.toUpper();
    for (QStringView device : DeviceNames)
        if (stem == device)
            return device;
    return {};
}

std::optional<EntryProblem> CheckCode(const QString &code)
{
    const auto problem = [](const QString &what) {
        return Problem(Field::Code, QStringLiteral("Код обследуемого ") + what);
    };
    if (code.isEmpty())
        return problem(QStringLiteral("не введён"));
    if (CharacterCount(code) > MaxEntryLength)
        return problem(QStringLiteral("длиннее %1 символов").arg(MaxEntryLength));
    if (HasControl(code))
        return problem(QStringLiteral("содержит управляющий символ"));
    for (QChar c : code)
        if (ForbiddenInFileName.contains(c))
            return problem(QStringLiteral("не может содержать символ «%1»").arg(c));
    bool onlyDotsAndBlanks = true;
    for (QChar c : code)
        onlyDotsAndBlanks = onlyDotsAndBlanks && (c == u'.' || c == u' ');
    if (onlyDotsAndBlanks)
        return problem(QStringLiteral("не может состоять только из точек и пробелов"));
    // Invisible on screen, and easily typed by mistake.
    if (code.startsWith(u' '))
        return problem(QStringLiteral("не может начинаться с пробела"));
    // Windows strips a trailing dot or blank from a file name.
    if (code.endsWith(u'.') || code.endsWith(u' '))
        return problem(QStringLiteral("не может оканчиваться точкой или пробелом"));
    if (const QStringView device = DeviceName(code); !device.isEmpty())
        return problem(QStringLiteral("совпадает с именем устройства «%1»").arg(device));
    if (!FitsWindows1251(code))
        return problem(QStringLiteral("содержит символ, которого нет в кодировке Windows-1251"));
    // Every file the program makes of the code must be possible: the journal's lock and the
    // temporary names are longer than the protocol's.
    if (LongestFileNameBytes(code) > MaxFileNameBytes)
        return problem(QStringLiteral("слишком длинный для имени файла"));
    return std::nullopt;
}

std::optional<EntryProblem> CheckName(const QString &name)
{
    const auto problem = [](const QString &what) {
        return Problem(Field::Name, QStringLiteral("Фамилия И.О. ") + what);
    };
    if (name.isEmpty())
        return problem(QStringLiteral("не введена"));
    if (CharacterCount(name) > MaxEntryLength)
        return problem(QStringLiteral("длиннее %1 символов").arg(MaxEntryLength));
    // A line break would split the protocol line that carries the name.
    if (HasControl(name))
        return problem(QStringLiteral("содержит управляющий символ"));
    if (!FitsWindows1251(name))
        return problem(QStringLiteral("содержит символ, которого нет в кодировке Windows-1251"));
    return std::nullopt;
}

} // namespace

std::optional<EntryProblem> CheckSubjectEntry(const QString &code, const QString &name)
{
    if (auto problem = CheckCode(code))
        return problem;
    return CheckName(name);
}

std::optional<EntryProblem> CheckSubjectCode(const QString &code)
{
    return CheckCode(code);
}

} // namespace kavr
