#include "report/read/ResultFolder.h"

#include "testing/core/ProtocolFile.h"

#include <QCollator>
#include <QDir>

#include <algorithm>

namespace kavr::report {

QStringList ListProtocolFiles(const QString &folder)
{
    const QDir dir(folder);
    // Whatever has a protocol's name, FIFOs and links too: the reader says what each is and
    // skips what is no protocol, rather than a FIFO or a link being passed over unsaid.
    QStringList names = dir.entryList({QStringLiteral("*.IM.txt"), u'*' + RecoveredSuffix.toString()},
                                      QDir::Files | QDir::System | QDir::Hidden | QDir::CaseSensitive);
    QCollator collator{QLocale::c()};
    collator.setNumericMode(true);
    // Same names up to case still come out in one fixed order.
    std::sort(names.begin(), names.end(), [&](const QString &a, const QString &b) {
        const int order = collator.compare(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    QStringList paths;
    paths.reserve(names.size());
    for (const QString &name : names)
        paths << dir.filePath(name);
    return paths;
}

} // namespace kavr::report
