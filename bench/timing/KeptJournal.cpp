#include "KeptJournal.h"

#include "testing/core/JournalReader.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace kavr::bench {

QString KeepJournal(const QString &journal, const QString &kept)
{
    if (journal.isEmpty())
        return QStringLiteral("no journal");
    QFile::remove(kept);
    if (::link(QFile::encodeName(journal).constData(), QFile::encodeName(kept).constData()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

std::optional<ChoiceTable> ReadKeptChoices(const QString &kept)
{
    QFile file(kept);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const JournalReadOutcome read = ReadJournal(file.readAll());
    if (!read.test || read.damagedLine != 0)
        return std::nullopt;
    return read.test->state.Choices;
}

} // namespace kavr::bench
