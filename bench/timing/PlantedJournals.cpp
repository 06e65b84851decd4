#include "PlantedJournals.h"

#include "parameters/TestVariant.h"
#include "testing/core/Protocol.h"
#include "testing/core/TestJournal.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace kavr::bench {

namespace {

// A test killed after five placements, journaled by the program's own writer.
QByteArray KilledJournal(const QString &code)
{
    QTemporaryDir dir;
    const FormatSettings settings = FormatSettings::fromLocale(QLocale(QLocale::Russian));
    const QDateTime setUp = QDateTime::currentDateTime();
    const TestVariant &variant = TestVariants.front();
    const qint64 answerBegan = variant.exposureSeconds * 1000;
    TestJournal journal{TestJournal::FileSync()};
    if (!journal.begin({dir.path(), {}}, code, settings,
                       protocol::HeaderLines(code, QStringLiteral("Бенч Б.Б."), setUp, settings),
                       variant.itemText.toString(), 0, setUp))
        return {};
    journal.answerBegan(answerBegan, setUp);
    for (int i = 1; i <= 5; ++i) {
        const ChoiceRecord record{1.25, i, i, i, i};
        journal.pick(i, record, answerBegan + 1'000 * i, setUp);
        journal.place(i, record, answerBegan + 500 + 1'000 * i, setUp);
    }
    QFile file(journal.path());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

bool PlantJournals(const QString &resultDir, int count)
{
    const QDir result(resultDir);
    for (int i = 0; i < count; ++i) {
        const QString code = QStringLiteral("Посеян-%1").arg(i);
        const QString journal = result.filePath(code + TestJournal::Suffix);
        const QString lock = journal + TestJournal::LockSuffix;
        switch (i % 3) {
        case 0: // killed here: no lock left, recovered
            if (!Write(journal, KilledJournal(code)))
                return false;
            break;
        case 1: // running elsewhere: its lock from another machine, beating now
            if (!Write(journal, KilledJournal(code))
                || !Write(lock, "KAVR.IM lock 1\npid=4242\nhost=lab-7\nboot=another-machine\n"))
                return false;
            break;
        case 2: // planted: a FIFO as the lock, a link to /dev/zero as another journal
            if (!Write(journal, KilledJournal(code)) || ::mkfifo(QFile::encodeName(lock).constData(), 0666) != 0
                || !QFile::link(QStringLiteral("/dev/zero"), result.filePath(QStringLiteral("Ноль-%1").arg(i) + TestJournal::Suffix)))
                return false;
            break;
        }
    }
    return true;
}

} // namespace kavr::bench
