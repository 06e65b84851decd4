// Two real operators of one lab, each a system user of the group users, share the Debian
// package's Result folder (root:users 2775). Every step runs in a process of its own whose real
// and effective ids are the operator's (setpriv), as when each logs in at a workstation: each
// replaces the other's protocol of a code, also one written 0644 by an earlier version, and
// each recovers the test the other left when killed. The users are made by the test when it
// runs as root, and removed after; elsewhere it is skipped.
#include "support/JournalTool.h"
#include "support/TestFiles.h"
#include "testing/core/CodePage.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kavr;
using namespace kavr::test;
using namespace Qt::StringLiterals;

namespace {

const QString Users = u"users"_s;
const QString OperatorA = u"kavr-test-op-a"_s, OperatorB = u"kavr-test-op-b"_s;

bool Run(const QString &program, const QStringList &args)
{
    QProcess process;
    process.start(program, args);
    return process.waitForFinished(30'000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

uid_t UserId(const QString &name)
{
    const passwd *user = ::getpwnam(QFile::encodeName(name).constData());
    return user ? user->pw_uid : uid_t(-1);
}

struct Owner
{
    uid_t user;
    gid_t group;
    mode_t mode;
};

Owner OwnerOf(const QString &path)
{
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return {st.st_uid, st.st_gid, mode_t(st.st_mode & 07777)};
}

QStringList Entries(const QString &dir)
{
    QStringList names = QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

} // namespace

class OperatorsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void eachReplacesTheOthersProtocol_data();
    void eachReplacesTheOthersProtocol();
    void eachRecoversTheOthersTest_data();
    void eachRecoversTheOthersTest();
    void cleanupTestCase();

private:
    // The tool run by user name, its real and effective ids and groups the user's own.
    JournalTool::Result as(const QString &user, const QStringList &args) const;

    QTemporaryDir m_dir;
    QString m_result, m_tool;
    gid_t m_users = 0;
    QStringList m_made; // users this test made
};

void OperatorsTest::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("making the operators' system users needs root");
    const group *users = ::getgrnam("users");
    QVERIFY(users);
    m_users = users->gr_gid;
    for (const QString &name : {OperatorA, OperatorB}) {
        if (UserId(name) != uid_t(-1))
            continue;
        if (!Run(u"useradd"_s, {u"--no-create-home"_s, u"--no-user-group"_s, u"--gid"_s, Users,
                                u"--shell"_s, u"/usr/sbin/nologin"_s, name}))
            QSKIP("useradd cannot make users here");
        m_made << name;
    }
    // The package's folder, reachable by anyone on the way; the tool where each user may run it.
    QVERIFY(m_dir.isValid());
    QVERIFY(QFile::setPermissions(m_dir.path(), QFile::permissions(m_dir.path()) | QFile::ExeOther | QFile::ReadOther
                                                    | QFile::ExeGroup | QFile::ReadGroup));
    m_result = m_dir.filePath(u"Result"_s);
    QVERIFY(QDir().mkdir(m_result));
    QCOMPARE(::chown(QFile::encodeName(m_result).constData(), 0, m_users), 0);
    QCOMPARE(::chmod(QFile::encodeName(m_result).constData(), 02775), 0);
    m_tool = m_dir.filePath(u"kavr_journal_tool"_s);
    QVERIFY(QFile::copy(JournalTool::program(), m_tool));
}

void OperatorsTest::cleanupTestCase()
{
    for (const QString &name : std::as_const(m_made))
        Run(u"userdel"_s, {name});
}

JournalTool::Result OperatorsTest::as(const QString &user, const QStringList &args) const
{
    return JournalTool::run(args,
                            {u"setpriv"_s, u"--reuid="_s + user, u"--regid="_s + Users, u"--init-groups"_s,
                             u"--"_s, u"sh"_s, u"-c"_s, u"umask 022; exec \"$0\" \"$@\""_s},
                            m_tool);
}

void OperatorsTest::eachReplacesTheOthersProtocol_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("modeBetween"); // the first one's protocol made so; 0: as saved
    QTest::newRow("B after A") << OperatorA << OperatorB << 0;
    QTest::newRow("A after B") << OperatorB << OperatorA << 0;
    QTest::newRow("B after A's protocol of an earlier version, 0644") << OperatorA << OperatorB << 0644;
}

void OperatorsTest::eachReplacesTheOthersProtocol()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(int, modeBetween);
    const QString code = u"Общий-%1"_s.arg(QTest::currentDataTag()[0] == 'B' ? 1 : 2) + QString::number(modeBetween);
    const QString protocol = m_result + u'/' + code + u".IM.txt"_s;
    const JournalTool::Result saved = as(first, {u"save"_s, m_result, code, u"протокол "_s + first});
    QVERIFY2(saved.ok, qPrintable(saved.lines.join(u'\n')));
    QCOMPARE(saved.lines, QStringList{protocol});
    // In the group's folder the group may replace it, and the group is the folder's.
    const Owner made = OwnerOf(protocol);
    QCOMPARE(made.user, UserId(first));
    QCOMPARE(made.group, m_users);
    QCOMPARE(made.mode & 0660, mode_t(0660));
    if (modeBetween)
        QCOMPARE(::chmod(QFile::encodeName(protocol).constData(), mode_t(modeBetween)), 0);

    const JournalTool::Result replaced = as(second, {u"save"_s, m_result, code, u"протокол "_s + second});
    QVERIFY2(replaced.ok, qPrintable(replaced.lines.join(u'\n')));
    QCOMPARE(replaced.lines, QStringList{protocol}); // in Result, not in the operator's home
    QCOMPARE(FromWindows1251(ReadAll(protocol)), u"протокол "_s + second + u"\r\n"_s);
    QCOMPARE(OwnerOf(protocol).user, UserId(second));
    QCOMPARE(OwnerOf(protocol).group, m_users);
    QVERIFY(!Entries(m_result).join(u' ').contains(u".tmp"_s));
}

void OperatorsTest::eachRecoversTheOthersTest_data()
{
    QTest::addColumn<QString>("killed");
    QTest::addColumn<QString>("next");
    QTest::addColumn<int>("lockMode"); // the lock made so (an earlier version's); 0: as made
    QTest::newRow("B recovers A's") << OperatorA << OperatorB << 0;
    QTest::newRow("A recovers B's") << OperatorB << OperatorA << 0;
    QTest::newRow("B recovers A's, its lock 0644") << OperatorA << OperatorB << 0644;
    // Made under umask 077 where the folder's group may not write: named, with why, and left.
    QTest::newRow("B cannot open A's lock, 0600") << OperatorA << OperatorB << 0600;
}

void OperatorsTest::eachRecoversTheOthersTest()
{
    QFETCH(QString, killed);
    QFETCH(QString, next);
    QFETCH(int, lockMode);
    const QString code = u"Прерван-%1-%2"_s.arg(killed.back()).arg(lockMode);
    const QStringList before = Entries(m_result);
    // The killed operator's test: five placed, the sixth figure in hand; its journal and lock
    // stay as a kill leaves them.
    const JournalTool::Result journal = as(killed, {u"journal"_s, m_result, code, u"5"_s});
    QVERIFY2(journal.ok, qPrintable(journal.lines.join(u'\n')));
    const QString path = journal.lines.value(0);
    QCOMPARE(path, m_result + u'/' + code + u".IM.journal"_s);
    QCOMPARE(OwnerOf(path).user, UserId(killed));
    QCOMPARE(OwnerOf(path + u".lock"_s).group, m_users);
    if (lockMode)
        QCOMPARE(::chmod(QFile::encodeName(path + u".lock"_s).constData(), mode_t(lockMode)), 0);

    const JournalTool::Result recovered = as(next, {u"recover"_s, m_result});
    QVERIFY2(recovered.ok, qPrintable(recovered.lines.join(u'\n')));
    if (lockMode != 0 && !(lockMode & S_IROTH)) {
        QCOMPARE(recovered.lines,
                 QStringList{u"2\t"_s + path + u"\tнет прав на чтение файла блокировки "_s
                             + QFileInfo(path).fileName() + u".lock"_s});
        QVERIFY(QFileInfo::exists(path) && QFileInfo::exists(path + u".lock"_s));
        QVERIFY(QFile::remove(path) && QFile::remove(path + u".lock"_s));
        return;
    }
    const QString file = m_result + u'/' + code + u".IM.recovered.txt"_s;
    QCOMPARE(recovered.lines, QStringList{u"0\t"_s + file}); // one entry: recovered
    QVERIFY(FromWindows1251(ReadAll(file)).contains(u"N[+] = 4,  N[-] = 1,  N[0] = 7"_s));
    QCOMPARE(OwnerOf(file).user, UserId(next));
    QStringList expected = before;
    expected << QFileInfo(file).fileName();
    expected.sort();
    QCOMPARE(Entries(m_result), expected); // the journal and its lock gone
}

QTEST_GUILESS_MAIN(OperatorsTest)
#include "test_faults_operators.moc"
