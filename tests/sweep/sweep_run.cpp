// One test as the sweep drives it, in a process of its own so that a kill is a real one:
//
//   kavr_sweep_run test DIR    a test from set-up to save on a clock moved by hand, its journal
//                              synced as the program syncs it, its protocol saved to
//                              DIR/Result, else DIR/home: eleven figures placed (the third on
//                              the fourth's panel), the twelfth in hand when the time runs out
//   kavr_sweep_run start DIR   what the next start does with DIR: the recovery of what is left
//
// Prints, one line each, what it did and what the operator would be told:
//   placed N | error TEXT | saved PATH                         (test)
//   KIND PATH | notice TEXT                                    (start; KIND as RecoveryReport's)
#include "platform/files/FileAccess.h"
#include "support/GoldenScript.h"
#include "support/TestSettings.h"
#include "testing/core/JournalRecovery.h"

#include <QCoreApplication>

#include <cstdio>

using namespace kavr;
using namespace kavr::test;
using namespace Qt::StringLiterals;

namespace {

void Say(const QString &what, const QString &text)
{
    std::fputs(qUtf8Printable(what + u' ' + QString(text).replace(u'\n', u" | "_s) + u'\n'),
               stdout);
    std::fflush(stdout); // before whatever kill comes next
}

SaveTarget Target(const QString &dir)
{
    return {dir + u"/Result"_s, {dir + u"/home"_s}};
}

int Test(const QString &dir)
{
    const SaveTarget target = Target(dir);
    Script script{u"Сидоров-1"_s, u"Сидоров С.С."_s, 0, RussianSettings(), 9, 14'000, {}, 0,
                  End::TimedOut};
    ScriptedRun test(script, target.resultDir, target.fallbackDirs, platform::SyncFile);
    const QList<Placement> placements = Paced({{1, 1},
                                               {2, 2},
                                               {3, 4},
                                               {5, 5},
                                               {6, 6},
                                               {7, 7},
                                               {8, 8},
                                               {9, 9},
                                               {10, 10},
                                               {11, 11},
                                               {4, 3}});
    int placed = 0;
    for (const Placement &p : placements) {
        test.pick(p);
        test.place(p);
        Say(u"placed"_s, QString::number(++placed));
    }
    test.pick(Placement{12, 12, 2'000, 0});
    test.timeOut();
    for (const QString &error : test.errors)
        Say(u"error"_s, error);
    if (!test.run().protocolPath().isEmpty())
        Say(u"saved"_s, test.run().protocolPath());
    return 0;
}

int Start(const QString &dir)
{
    const SaveTarget target = Target(dir);
    const RecoveryReport report = RecoverJournals(target);
    for (const RecoveryReport::Entry &entry : report.entries)
        Say(u"entry%1"_s.arg(int(entry.kind)), entry.path + u' ' + entry.detail);
    for (const QString &line : report.noticeLines(target.resultDir))
        Say(u"notice"_s, line);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == u"test"_s)
        return Test(args[2]);
    if (args.size() == 3 && args[1] == u"start"_s)
        return Start(args[2]);
    std::fputs("usage: kavr_sweep_run test|start DIR\n", stderr);
    return 2;
}
