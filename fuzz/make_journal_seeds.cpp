// Writes seed journals for the journal reader's fuzzer, written by the program's own journal
// (a test stopped in the exposure, in the answer phase with a figure in hand, all placed, ended
// with a save that failed), and a libFuzzer dictionary of the journal's words.
// Usage: make_journal_seeds <seed folder> <dictionary file>
#include "parameters/Figures.h"
#include "testing/core/JournalLine.h"
#include "testing/core/Protocol.h"
#include "testing/core/TestJournal.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

using namespace kavr;

namespace {

bool Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A journal of a test stopped after placed placements, ended (finished) or not.
QByteArray Journal(int placed, bool finished)
{
    QTemporaryDir dir;
    const FormatSettings ru = FormatSettings::fromLocale(QLocale(QLocale::Russian));
    const QDateTime setUp(QDate(2026, 12, 7), QTime(14, 5, 9));
    QStringList lines = protocol::HeaderLines(QStringLiteral("Иванов-01"), QStringLiteral("Иванов И.И."), setUp, ru);
    lines << protocol::InstructionLine(47.6, ru);
    QByteArray bytes;
    {
        TestJournal journal{TestJournal::FileSync()};
        if (!journal.begin({dir.path(), {}}, QStringLiteral("Иванов-01"), ru, lines, QStringLiteral("Вариант B"),
                           1'000, setUp))
            return {};
        journal.priority(placed % 2 == 0, QStringLiteral("SCHED_FIFO 10, set by the program"), 1'000, setUp);
        qint64 ms = 31'000;
        if (placed >= 0)
            journal.answerBegan(ms, setUp.addMSecs(ms));
        ChoiceRecord record;
        for (int i = 1; i <= placed; ++i) {
            record = {1.5, i, (i * 5) % FigureCount + 1, i, i % 3 ? (i * 5) % FigureCount + 1 : i};
            journal.pick(i, record, ms += 700, setUp.addMSecs(ms));
            journal.place(i, record, ms += 800, setUp.addMSecs(ms));
        }
        if (finished)
            journal.finish(60.004, placed + 1, record, ms, setUp.addMSecs(ms));
        QFile file(journal.path());
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
    }
    return bytes;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fputs("usage: make_journal_seeds <seed folder> <dictionary file>\n", stderr);
        return 2;
    }
    const QString seeds = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(seeds);
    const struct
    {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"exposure", Journal(-1, false)},
        {"answer-five", Journal(5, false)},
        {"all-placed", Journal(FigureCount, false)},
        {"timed-out-unsaved", Journal(7, true)},
    };
    for (const auto &c : cases)
        if (c.bytes.isEmpty() || !Write(seeds + u'/' + QString::fromLatin1(c.name), c.bytes))
            return 1;
    QByteArray dictionary;
    for (QStringView word : {journal::Magic, journal::EarlierMagic, journal::StartEvent, journal::LineEvent,
                             journal::VariantEvent, journal::AnswerEvent, journal::PickEvent, journal::PlaceEvent,
                             journal::FinishEvent, journal::PriorityEvent, journal::Granted, journal::Refused})
        dictionary += '"' + word.toUtf8() + "\"\n";
    dictionary += "\"\\x09\"\n\"\\x09#\"\n\"\\x0a\"\n\"2026-12-07T14:05:09.000\"\n";
    return Write(QString::fromLocal8Bit(argv[2]), dictionary) ? 0 : 1;
}
