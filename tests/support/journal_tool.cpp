// What the program does with journals, locks and protocols, one step per run, for tests that
// need it done by another process: a program killed in the middle of a test, a workstation
// whose test is running, another operator (run under that user's own ids), another program
// holding a protocol open.
//
//   kavr_journal_tool lock PATH          make a lock as a test does, then end as if killed
//   kavr_journal_tool hold-lock PATH [MS] make a lock and hold it until standard input closes,
//                                        beating every MS milliseconds if given, as a test does
//   kavr_journal_tool journal DIR CODE N journal a test of CODE into DIR up to N placements (the
//                                        fourth one wrong), a figure picked, then end as if killed
//   kavr_journal_tool beat DIR CODE MS   journal a test of CODE into DIR up to its second placement,
//                                        its lock beating every MS milliseconds, until standard
//                                        input closes; then says what durability() says
//   kavr_journal_tool probe DIR          make a probe file in DIR, then end as if killed
//   kavr_journal_tool workplace DIR      check the workstation as the log-in does, Result DIR
//   kavr_journal_tool save DIR CODE TEXT save a protocol of one line TEXT as FinishTest does
//   kavr_journal_tool recover DIR        recover the journals in DIR as a start does; prints each
//                                        entry's kind, path and detail
//   kavr_journal_tool recover-at-eof DIR the same once standard input closes (several at once)
//   kavr_journal_tool examine PATH       examine the lock PATH as starts do, and take it when
//                                        abandoned, over and over until standard input closes
//   kavr_journal_tool hold-open PATH     keep PATH open for reading until standard input closes
//   kavr_journal_tool read-shared PATH MS keep PATH open for MS milliseconds as the program's own
//                                        readers do (a start looking at a lock): letting others
//                                        remove or replace it, as a backup or sync client does
//
// Prints "ready" once the step is done (and a path or the entries where there are any); exit
// status 0 when it succeeded.
#include "platform/files/FileLock.h"
#include "support/TestSettings.h"
#include "testing/core/JournalRecovery.h"
#include "testing/core/Protocol.h"
#include "testing/core/ProtocolFile.h"
#include "testing/core/TestJournal.h"
#include "testing/core/Workplace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

using namespace kavr;

namespace {

void Say(const QString &line)
{
    std::fputs(qUtf8Printable(line + u'\n'), stdout);
    std::fflush(stdout);
}

// As a killed program ends: nothing of its own runs after it, its files stay as they are.
[[noreturn]] void Killed()
{
    std::fflush(stdout);
    std::_Exit(0);
}

void WaitForStdinToClose()
{
    while (std::getchar() != EOF) {
    }
}

int Journal(const QString &dir, const QString &code, int placements)
{
    const QDateTime setUp = QDateTime::currentDateTime();
    QStringList lines = protocol::HeaderLines(code, QStringLiteral("Оператор О.О."), setUp, test::RussianSettings());
    lines << protocol::InstructionLine(12.0, test::RussianSettings());
    TestJournal journal{TestJournal::FileSync()};
    if (!journal.begin({dir, {}}, code, test::RussianSettings(), lines, QStringLiteral("Вариант A"), 1'000,
                       setUp))
        return 1;
    qint64 ms = 31'000;
    journal.answerBegan(ms, setUp.addMSecs(ms));
    for (int i = 1; i <= placements + 1 && i <= 12; ++i) {
        ChoiceRecord record;
        record.PictureNo = i;
        record.Answer = i;
        ms += 700;
        journal.pick(i, record, ms, setUp.addMSecs(ms));
        if (i > placements)
            break;
        ms += 800;
        record.PanelNo = i;
        record.Key = i == 4 ? 5 : i;
        record.Time = 1.5;
        journal.place(i, record, ms, setUp.addMSecs(ms));
    }
    Say(journal.path());
    Say(QStringLiteral("ready"));
    Killed();
}

// A test that goes on after its journal has failed or been taken: its lock must beat on.
int JournalAndBeat(const QString &dir, const QString &code, int beatMs)
{
    const QDateTime setUp = QDateTime::currentDateTime();
    TestJournal journal{TestJournal::FileSync(), beatMs};
    if (!journal.begin({dir, {}}, code, test::RussianSettings(), {QStringLiteral("строка")},
                       QStringLiteral("Вариант A"), 1'000, setUp))
        return 1;
    journal.answerBegan(31'000, setUp);
    for (int i = 1; i <= 2; ++i) {
        ChoiceRecord record;
        record.PictureNo = record.Answer = record.PanelNo = record.Key = i;
        journal.pick(i, record, 31'000 + i * 1'000, setUp);
        journal.place(i, record, 31'500 + i * 1'000, setUp);
    }
    Say(journal.path());
    Say(QStringLiteral("ready"));
    WaitForStdinToClose();
    const TestJournal::Durability durability = journal.durability();
    Say(durability.durable ? QStringLiteral("durable") : durability.problem);
    return 0;
}

// Another start on this machine, over and over: each lock found abandoned is taken away as
// recovery takes it. Prints how often it looked and how often it took one.
int ExamineUntilEof(const QString &path)
{
    std::atomic<bool> done = false;
    Say(QStringLiteral("ready"));
    std::thread input([&done] {
        WaitForStdinToClose();
        done = true;
    });
    int examined = 0, taken = 0;
    while (!done) {
        platform::FileLock::Claim claim = platform::FileLock::examine(path);
        ++examined;
        if (claim.state() == platform::FileLock::Claim::State::Abandoned && claim.remove())
            ++taken;
    }
    input.join();
    Say(QStringLiteral("examined %1 taken %2").arg(examined).arg(taken));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString command = args.value(1);
    if (command == u"lock" || command == u"hold-lock") {
        auto lock = platform::FileLock::create(args.value(2), platform::FileSharing::Folder, nullptr);
        if (!lock)
            return 1;
        Say(QStringLiteral("ready"));
        if (command == u"lock")
            Killed();
        std::atomic<bool> done = false;
        std::thread input([&done] {
            WaitForStdinToClose();
            done = true;
        });
        const int beatMs = args.value(3).toInt();
        for (int waited = 0; !done; waited += 10) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (beatMs > 0 && waited >= beatMs) {
                Say(lock->heartbeat() ? QStringLiteral("beat") : QStringLiteral("beat failed"));
                waited = 0;
            }
        }
        input.join();
        return 0;
    }
    if (command == u"journal")
        return Journal(args.value(2), args.value(3), args.value(4).toInt());
    if (command == u"beat")
        return JournalAndBeat(args.value(2), args.value(3), args.value(4).toInt());
    if (command == u"workplace") {
        for (const QString &line :
             CheckWorkplace({args.value(2), {}}, QStringLiteral("/opt/kavr-im"), QDir::tempPath())
                 .lines())
            Say(line);
        Say(QStringLiteral("ready"));
        return 0;
    }
    if (command == u"probe") {
        const platform::ProbeFile probe = platform::CreateProbeFile(args.value(2),
                                                                    platform::FileSharing::Folder);
        if (!probe.file)
            return 1;
        Say(QStringLiteral("ready"));
        Killed();
    }
    if (command == u"save") {
        const SaveOutcome saved = TrySaveProtocol({args.value(2), {}}, args.value(3), {args.value(4)});
        Say(saved.error.isEmpty() ? saved.path : saved.error);
        return saved.error.isEmpty() ? 0 : 1;
    }
    if (command == u"examine")
        return ExamineUntilEof(args.value(2));
    if (command == u"recover-at-eof") {
        Say(QStringLiteral("ready"));
        WaitForStdinToClose();
    }
    if (command == u"recover" || command == u"recover-at-eof") {
        const RecoveryReport report = RecoverJournals({args.value(2), {}});
        for (const RecoveryReport::Entry &entry : report.entries)
            Say(QStringLiteral("%1\t%2").arg(int(entry.kind)).arg(entry.path)
                + (entry.detail.isEmpty() ? QString() : u'\t' + entry.detail));
        Say(QStringLiteral("ready"));
        return 0;
    }
    if (command == u"read-shared") {
        const platform::FileLock::Claim reader = platform::FileLock::examine(args.value(2));
        Say(QStringLiteral("ready"));
        std::this_thread::sleep_for(std::chrono::milliseconds(args.value(3).toInt()));
        return 0;
    }
    if (command == u"hold-open") {
        // Qt opens without letting others delete or rename the file, as a spreadsheet does on
        // Windows; on Linux an open file is no obstacle.
        QFile file(args.value(2));
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        Say(QStringLiteral("ready"));
        WaitForStdinToClose();
        return 0;
    }
    std::fputs(
        "usage: kavr_journal_tool "
        "lock|hold-lock|journal|beat|probe|workplace|save|recover|recover-at-eof|examine|hold-open|"
        "read-shared ...\n",
        stderr);
    return 2;
}
