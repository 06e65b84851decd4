// Saving the protocol: bytes on disk, the Result folder, replacing, failures and fallbacks.
// The tests run as root, who ignores permission bits, so a folder that cannot take the file is
// made otherwise: a Result path below a regular file (the folder cannot be created), a folder
// in place of the file, or a file-size limit standing in for a full disk.
#include "error/KavrError.h"
#include "platform/files/FileAccess.h"
#include "support/JournalTool.h"
#include "support/TestFiles.h"
#include "testing/core/ProtocolFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#else
#include <windows.h>
#include <aclapi.h>
#endif

using namespace kavr;
using namespace kavr::test;
using namespace Qt::StringLiterals;

namespace {

const QString Code = u"Иванов-01"_s;

QStringList SampleLines()
{
    return {u"Результаты выполнения теста \"Образная память\""_s,
            u"Код: Иванов-01  Имя: Иванов И.И.  Дата ПФО: 07.12.2026 14:05:09"_s, Code};
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList Entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

QString Native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

const QString NoFolder = u"папку нельзя создать или в неё нельзя писать"_s;

QString CannotCreate(const QString &path, const QString &reason)
{
    return u"Cannot create file "_s + Native(path) + u" ("_s + reason + u')';
}

// Saves and returns the KavrError text; empty when nothing was thrown.
QString SaveError(const SaveTarget &target, const QString &code, const QStringList &lines)
{
    try {
        SaveProtocol(target, code, lines);
    } catch (const KavrError &error) {
        return error.message();
    }
    return {};
}

} // namespace

class TestProtocolFile : public QObject
{
    Q_OBJECT

private slots:
    void fileName();
    void encodesLinesWithCrLf();
    void refusesLineWithoutWindows1251();
    void savedFileHasCrLfAndNoBom();
    void createsMissingResultFolder();
    void replacesExistingFile();
    void resultBelowRegularFileFallsBack();
    void folderInPlaceOfFileFallsBackToNextWorkingFolder();
    void everyFolderFailing();
    void noFallbackGiven();
    void earlierProtocolSurvivesFailedWrite();
    void separatorInCodeWritesNothingElsewhere();
    void plantedAtTheProtocolsName_data();
    void plantedAtTheProtocolsName();
    void lastFallbackIsTheUsersOwn();
    void defaultTarget();

private:
    // Cyrillic letters and blanks in every folder on the way, as a lab's folders have them.
    QTemporaryDir m_dir{QDir::tempPath() + u"/Протоколы лаборатории XXXXXX"_s};
};

void TestProtocolFile::fileName()
{
    QCOMPARE(ProtocolFileName(Code), u"Иванов-01.IM.txt"_s);
    QCOMPARE(ProtocolFileName(u"A.B"_s), u"A.B.IM.txt"_s);
}

void TestProtocolFile::encodesLinesWithCrLf()
{
    QCOMPARE(EncodeProtocol({u"Код: 1"_s, QString(), u"x"_s}),
             QByteArray::fromHex("caeee43a2031" "0d0a" "0d0a" "78" "0d0a"));
    QCOMPARE(EncodeProtocol({}), QByteArray());
}

void TestProtocolFile::refusesLineWithoutWindows1251()
{
    try {
        EncodeProtocol({u"Код"_s, u"Имя: 李"_s});
        QFAIL("no error");
    } catch (const KavrError &error) {
        QVERIFY2(error.message().startsWith(u"Строка 2 "_s), qPrintable(error.message()));
    }
}

void TestProtocolFile::savedFileHasCrLfAndNoBom()
{
    const QString result = m_dir.filePath(u"bytes/Result"_s);
    const QString path = SaveProtocol({result, {}}, Code, SampleLines());
    QCOMPARE(path, result + u"/Иванов-01.IM.txt"_s);

    const QByteArray bytes = ReadAll(path);
    QCOMPARE(bytes, EncodeProtocol(SampleLines()));
    QCOMPARE(quint8(bytes.at(0)), quint8(0xD0)); // "Р", no byte order mark before it
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count("\r\n"), 3);
    QCOMPARE(bytes.count('\n'), 3);
    QCOMPARE(bytes.count('\r'), 3);
    QVERIFY(bytes.contains(QByteArray::fromHex("caeee43a20")));  // "Код: "
}

void TestProtocolFile::createsMissingResultFolder()
{
    const QString result = m_dir.filePath(u"missing/deeper/Result"_s);
    QVERIFY(!QFileInfo::exists(result));
    const QString path = SaveProtocol({result, {m_dir.path()}}, Code, SampleLines());
    QVERIFY(QFileInfo(result).isDir());
    QCOMPARE(ReadAll(path), EncodeProtocol(SampleLines()));
    QCOMPARE(Entries(result), QStringList{u"Иванов-01.IM.txt"_s});
}

void TestProtocolFile::replacesExistingFile()
{
    const QString result = m_dir.filePath(u"replace/Result"_s);
    QVERIFY(QDir().mkpath(result));
    const QString path = result + u"/Иванов-01.IM.txt"_s;
    WriteFile(path, QByteArray(5000, 'x'));

    QCOMPARE(SaveProtocol({result, {}}, Code, SampleLines()), path);
    QCOMPARE(ReadAll(path), EncodeProtocol(SampleLines()));
    QCOMPARE(Entries(result), QStringList{u"Иванов-01.IM.txt"_s}); // no temporary left
}

void TestProtocolFile::resultBelowRegularFileFallsBack()
{
    const QString base = m_dir.filePath(u"belowfile"_s);
    QVERIFY(QDir().mkpath(base + u"/fallback"_s));
    WriteFile(base + u"/plain"_s, "not a folder");
    const QString result = base + u"/plain/Result"_s;

    const QString message = SaveError({result, {base + u"/fallback"_s}}, Code, SampleLines());
    const QString fallbackFile = base + u"/fallback/Иванов-01.IM.txt"_s;
    QCOMPARE(message, CannotCreate(result + u"/Иванов-01.IM.txt"_s, NoFolder)
                          + u"\nПротокол сохранён в файле "_s + Native(fallbackFile));
    QCOMPARE(ReadAll(fallbackFile), EncodeProtocol(SampleLines()));
    QCOMPARE(ReadAll(base + u"/plain"_s), QByteArray("not a folder"));
}

void TestProtocolFile::folderInPlaceOfFileFallsBackToNextWorkingFolder()
{
    const QString base = m_dir.filePath(u"folderinplace"_s);
    const QString result = base + u"/Result"_s;
    const QString intended = result + u"/Иванов-01.IM.txt"_s;
    QVERIFY(QDir().mkpath(intended + u"/inside"_s));
    QVERIFY(QDir().mkpath(base + u"/second"_s));

    // The first fallback does not exist and is not created; the second takes the file.
    const QString message = SaveError(
        {result, {base + u"/absent"_s, base + u"/second"_s}}, Code, SampleLines());
    const QString fallbackFile = base + u"/second/Иванов-01.IM.txt"_s;
    QCOMPARE(message, CannotCreate(intended, u"это папка"_s)
                          + u"\nПротокол сохранён в файле "_s + Native(fallbackFile));
    QCOMPARE(ReadAll(fallbackFile), EncodeProtocol(SampleLines()));
    QVERIFY(!QFileInfo::exists(base + u"/absent"_s));
    QCOMPARE(Entries(intended), QStringList{u"inside"_s});
    QCOMPARE(Entries(result), QStringList{u"Иванов-01.IM.txt"_s});
}

void TestProtocolFile::everyFolderFailing()
{
    const QString base = m_dir.filePath(u"allfail"_s);
    QVERIFY(QDir().mkpath(base));
    WriteFile(base + u"/plain"_s, "x");
    const QString result = base + u"/plain/Result"_s;

    const QString message = SaveError({result, {base + u"/plain"_s, base + u"/absent"_s}}, Code,
                                      SampleLines());
    const QString firstLine = CannotCreate(result + u"/Иванов-01.IM.txt"_s, NoFolder);
    QVERIFY2(message.startsWith(firstLine + u'\n'), qPrintable(message));
    QVERIFY2(message.contains(u"не удалось"_s), qPrintable(message));
    QVERIFY(message.contains(Native(base + u"/absent"_s)));
    QCOMPARE(Entries(base), QStringList{u"plain"_s});
}

void TestProtocolFile::noFallbackGiven()
{
    const QString base = m_dir.filePath(u"nofallback"_s);
    QVERIFY(QDir().mkpath(base));
    WriteFile(base + u"/plain"_s, "x");
    const QString result = base + u"/plain/Result"_s;
    QCOMPARE(SaveError({result, {}}, Code, SampleLines()), CannotCreate(result + u"/Иванов-01.IM.txt"_s, NoFolder));
}

void TestProtocolFile::earlierProtocolSurvivesFailedWrite()
{
#ifdef Q_OS_UNIX
    const QString base = m_dir.filePath(u"diskfull"_s);
    const QString result = base + u"/Result"_s;
    const QString fallback = base + u"/fallback"_s;
    QVERIFY(QDir().mkpath(fallback));
    const QStringList earlier = {u"раньше"_s};
    const QString path = SaveProtocol({result, {}}, Code, earlier);

    // A file-size limit makes every write past 16 bytes fail, as a full disk would.
    struct rlimit old {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tight = old;
    tight.rlim_cur = 16;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
    const QString message = SaveError({result, {fallback}}, Code, SampleLines());
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY2(message.startsWith(CannotCreate(path, u"на диске нет места"_s) + u'\n'), qPrintable(message));
    QCOMPARE(ReadAll(path), EncodeProtocol(earlier));
    QCOMPARE(Entries(result), QStringList{u"Иванов-01.IM.txt"_s});
    QCOMPARE(Entries(fallback), QStringList());
#else
    QSKIP("needs a POSIX file-size limit");
#endif
}

void TestProtocolFile::separatorInCodeWritesNothingElsewhere()
{
    const QString base = m_dir.filePath(u"separator"_s);
    const QString result = base + u"/Result"_s;
    QVERIFY(QDir().mkpath(result));
    const QString message = SaveError({result, {}}, u"../x"_s, SampleLines());
    QVERIFY2(message.startsWith(u"Cannot create file "_s), qPrintable(message));
    QCOMPARE(Entries(base), QStringList{u"Result"_s});
    QCOMPARE(Entries(result), QStringList());
}

enum class Planted { LinkToAnotherFile, DanglingLink, Fifo, HeldOpen, ReadShared };

void TestProtocolFile::plantedAtTheProtocolsName_data()
{
    QTest::addColumn<Planted>("planted");
    QTest::addColumn<QString>("reason"); // why the save went elsewhere; empty: it went to Result
#ifdef Q_OS_UNIX
    QTest::newRow("a link to another operator's file") << Planted::LinkToAnotherFile << u"это символическая ссылка"_s;
    QTest::newRow("a link to nothing") << Planted::DanglingLink << u"это символическая ссылка"_s;
    QTest::newRow("a FIFO") << Planted::Fifo << u"это не обычный файл (канал или устройство)"_s;
    // Linux lets a file held open be replaced.
    QTest::newRow("held open by another program") << Planted::HeldOpen << QString();
#else
    // Windows does not while the program lets no one remove it (a spreadsheet, an editor): the
    // save tries again for a while, then falls back and says why.
    QTest::newRow("held open by another program") << Planted::HeldOpen << u"файл открыт другой программой"_s;
#endif
    // A reader that lets others replace it (the results report on another workstation, a backup
    // or sync client) for half a second: replaced all the same, at once or within the wait.
    QTest::newRow("read by another program for a moment") << Planted::ReadShared << QString();
}

void TestProtocolFile::plantedAtTheProtocolsName()
{
    QFETCH(Planted, planted);
    QFETCH(QString, reason);
    const QString base = m_dir.filePath(u"planted %1"_s.arg(int(planted)));
    const QString result = base + u"/Result"_s, home = base + u"/home"_s, other = base + u"/чужой.txt"_s;
    QVERIFY(QDir().mkpath(result) && QDir().mkpath(home));
    QVERIFY(WriteAll(other, "записи другого оператора"));
    const QString protocol = result + u"/Иванов-01.IM.txt"_s;
    std::unique_ptr<JournalTool> holder;
    switch (planted) {
    case Planted::LinkToAnotherFile: QVERIFY(QFile::link(other, protocol)); break;
    case Planted::DanglingLink: QVERIFY(QFile::link(base + u"/нет такого"_s, protocol)); break;
    case Planted::Fifo:
#ifdef Q_OS_UNIX
        QCOMPARE(::mkfifo(QFile::encodeName(protocol).constData(), 0666), 0);
#endif
        break;
    case Planted::HeldOpen:
        QVERIFY(WriteAll(protocol, "earlier"));
        holder = std::make_unique<JournalTool>(QStringList{u"hold-open"_s, protocol});
        QVERIFY(holder->ready());
        break;
    case Planted::ReadShared:
        QVERIFY(WriteAll(protocol, "earlier"));
        holder = std::make_unique<JournalTool>(QStringList{u"read-shared"_s, protocol, u"500"_s});
        QVERIFY(holder->ready());
        break;
    }
    const QFileInfo before(protocol);

    const SaveOutcome outcome = TrySaveProtocol({result, {home}}, Code, SampleLines());
    holder.reset();
    if (reason.isEmpty()) {
        QCOMPARE(outcome.error, QString());
        QCOMPARE(ReadAll(protocol), EncodeProtocol(SampleLines()));
        return;
    }
    // Never followed, opened, waited on or replaced: the protocol went home, and why is said.
    QVERIFY2(outcome.error.startsWith(CannotCreate(protocol, reason)), qPrintable(outcome.error));
    QCOMPARE(outcome.path, QDir::cleanPath(home + u"/Иванов-01.IM.txt"_s));
    QCOMPARE(ReadAll(outcome.path), EncodeProtocol(SampleLines()));
    QCOMPARE(ReadAll(other), QByteArray("записи другого оператора"));
    const QFileInfo after(protocol);
    QCOMPARE(after.isSymLink(), before.isSymLink());
    QCOMPARE(after.symLinkTarget(), before.symLinkTarget());
    QCOMPARE(after.isFile() || after.isSymLink(), before.isFile() || before.isSymLink());
    if (planted == Planted::HeldOpen)
        QCOMPARE(ReadAll(protocol), QByteArray("earlier"));
    QCOMPARE(Entries(result), QStringList{u"Иванов-01.IM.txt"_s}); // no temporary left
}

void TestProtocolFile::lastFallbackIsTheUsersOwn()
{
    const QString base = m_dir.filePath(u"private"_s);
    QVERIFY(QDir().mkpath(base));
    QVERIFY(WriteAll(base + u"/plain"_s, "x"));
    const QString unusable = base + u"/plain/Result"_s; // below a file: never a folder
    const QString own = base + u"/kavr-im-own"_s;

    // Made when first needed, closed to others, and what goes there is the user's alone.
    const SaveOutcome saved = TrySaveProtocol({unusable, {}, own}, Code, SampleLines());
    QCOMPARE(saved.path, own + u"/Иванов-01.IM.txt"_s);
    QCOMPARE(ReadAll(saved.path), EncodeProtocol(SampleLines()));
#ifdef Q_OS_UNIX
    constexpr QFile::Permissions Others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
        | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(QFile::permissions(own) & Others, QFile::Permissions());
    QCOMPARE(QFile::permissions(saved.path) & Others, QFile::Permissions());
    // A folder opened to others since is closed again before it is used.
    QVERIFY(QFile::setPermissions(own, QFile::permissions(own) | Others));
    QVERIFY(TrySaveProtocol({unusable, {}, own}, Code, SampleLines()).path == saved.path);
    QCOMPARE(QFile::permissions(own) & Others, QFile::Permissions());

    // Someone planted the name first: a link to a folder of theirs is never used.
    const QString planted = base + u"/kavr-im-planted"_s, theirs = base + u"/theirs"_s;
    QVERIFY(QDir().mkpath(theirs));
    QVERIFY(QFile::link(theirs, planted));
    const SaveOutcome refused = TrySaveProtocol({unusable, {}, planted}, Code, SampleLines());
    QVERIFY(refused.path.isEmpty());
    QVERIFY2(refused.error.contains(u"не удалось"_s), qPrintable(refused.error));
    QCOMPARE(Entries(theirs), QStringList());
#else
    // TEMP on a shared C:\Temp: whatever the parent grants, no one but the user (and the system)
    // may enter the folder made.
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR made = nullptr;
    QCOMPARE(GetNamedSecurityInfoW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(own).utf16()), SE_FILE_OBJECT,
                                   DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr, &made),
             DWORD(ERROR_SUCCESS));
    QVERIFY(dacl);
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE *ace = nullptr;
        QVERIFY(GetAce(dacl, i, reinterpret_cast<void **>(&ace)));
        QVERIFY(!IsWellKnownSid(&ace->SidStart, WinWorldSid) && !IsWellKnownSid(&ace->SidStart, WinBuiltinUsersSid));
    }
    LocalFree(made);
#endif
}

void TestProtocolFile::defaultTarget()
{
    const SaveTarget target = DefaultSaveTarget(u"/opt/kavr"_s);
    QCOMPARE(target.resultDir, u"/opt/kavr/Result"_s);
    QCOMPARE(target.fallbackDirs, QStringList{QDir::homePath()});
    // Not the temporary folder itself, which is everyone's, but a folder of the user's own in it,
    // where what it holds outlives a restart.
    QVERIFY(QFileInfo(target.privateDir).fileName().startsWith(u"kavr-im"_s)
            || target.privateDir.endsWith(u"/KAVR.IM"_s));
    QVERIFY(platform::FolderSurvivesRestart(QFileInfo(target.privateDir).absolutePath()));
#ifdef Q_OS_UNIX
    // Debian empties /tmp at every start: the folder goes below /var/tmp then.
    const QByteArray temporary = qgetenv("TMPDIR");
    const QTemporaryDir user(u"/tmp/kavr-user-XXXXXX"_s); // as pam_tmpdir makes one
    for (const QString &emptied : {u"/tmp"_s, user.path(), u"/nowhere/at/all"_s}) {
        qputenv("TMPDIR", QFile::encodeName(emptied));
        QVERIFY(!platform::FolderSurvivesRestart(emptied) || !QFileInfo::exists(emptied));
        QCOMPARE(QFileInfo(DefaultSaveTarget(u"/opt/kavr"_s).privateDir).absolutePath(),
                 u"/var/tmp"_s);
    }
    if (temporary.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", temporary);
    QVERIFY(!platform::FolderSurvivesRestart(u"/dev/shm"_s)); // a tmpfs
#endif
}

QTEST_GUILESS_MAIN(TestProtocolFile)
#include "test_protocolfile.moc"
