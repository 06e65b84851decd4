#include "report/html/PageFolder.h"

#include <QDir>
#include <QFile>

namespace kavr::report {

bool WriteSubjectPages(const QString &folder, const QList<ProtocolRecord> &records,
                       const SubjectPageOptions &options, const PageFailure &failed,
                       const std::function<void()> &step)
{
    if (!QDir().mkpath(folder)) {
        failed(folder, QString());
        return false;
    }
    const QDir dir(folder);
    bool written = true;
    for (const ProtocolRecord &record : records) {
        // Written in place. Pages are many and made again at will: not forced to the disk one
        // by one as the tables are (a sync per file makes ten thousand pages take a minute).
        const QString path = dir.filePath(SubjectPageFileName(record));
        const QByteArray bytes = SubjectPage(record, options);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(bytes) != bytes.size() || !file.flush()) {
            failed(path, file.errorString());
            written = false;
        }
        if (step)
            step();
    }
    return written;
}

} // namespace kavr::report
