#pragma once
// The subject's code names the protocol file and the name goes into it: both must survive
// as Windows-1251 text, and the code must be a safe file name on Windows and Linux.
#include <QString>

#include <optional>

namespace kavr {

struct EntryProblem
{
    enum class Field { Code, Name };
    Field field;
    QString reason; // one short Russian line for the operator
};

inline constexpr int MaxEntryLength = 200;

// Nothing when code and name (both non-empty) may be used; otherwise the first problem.
std::optional<EntryProblem> CheckSubjectEntry(const QString &code, const QString &name);
// The code alone, also as a journal names it.
std::optional<EntryProblem> CheckSubjectCode(const QString &code);

} // namespace kavr
