// The Debian package made by cpack from this build: its files and their modes, its control
// fields and dependencies, the postinst run on an unpacked tree, the desktop entry and its
// icon, and the report run from where the package puts it.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run Execute(const QString &program, const QStringList &arguments,
            const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    Run run;
    if (!process.waitForFinished(240000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// "Key: value" lines (a desktop entry's "Key=value" with separator '=').
QHash<QString, QString> Fields(const QString &text, QChar separator)
{
    QHash<QString, QString> fields;
    for (const QString &line : text.split(u'\n')) {
        const qsizetype at = line.indexOf(separator);
        if (at > 0 && !line.startsWith(u' '))
            fields.insert(line.first(at).trimmed(), line.sliced(at + 1).trimmed());
    }
    return fields;
}

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fileList();
    void controlFields();
    void postinstOpensResultToUsers();
    void desktopEntryAndIcon_data();
    void desktopEntryAndIcon();
    void reportRunsWhereInstalled();

private:
    QString unpacked(const QString &path) const { return m_dir.filePath(u"root"_s + path); }

    QTemporaryDir m_dir;
    QString m_deb;
};

void TestPackage::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const Run cpack = Execute(QStringLiteral(KAVR_CPACK),
                              {u"-G"_s, u"DEB"_s, u"--config"_s, QStringLiteral(KAVR_CPACK_CONFIG),
                               u"-B"_s, m_dir.filePath(u"out"_s)});
    QVERIFY2(cpack.exitCode == 0, qPrintable(cpack.out + cpack.err));
    const QStringList debs = QDir(m_dir.filePath(u"out"_s)).entryList({u"*.deb"_s});
    QCOMPARE(debs.size(), 1);
    m_deb = m_dir.filePath(u"out/"_s + debs.first());
    const Run extract = Execute(u"dpkg-deb"_s, {u"-R"_s, m_deb, m_dir.filePath(u"root"_s)});
    QVERIFY2(extract.exitCode == 0, qPrintable(extract.err));
}

void TestPackage::fileList()
{
    const Run listing = Execute(u"dpkg-deb"_s, {u"-c"_s, m_deb});
    QCOMPARE(listing.exitCode, 0);
    // "-rwxr-xr-x root/root 488960 2026-12-07 20:39 ./opt/kavr-im/kavr-im"
    QHash<QString, QString> entries; // path: mode and owner
    for (const QString &line : listing.out.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split(u' ', Qt::SkipEmptyParts);
        QVERIFY2(f.size() == 6, qPrintable(line));
        entries.insert(f.at(5), f.at(0) + u' ' + f.at(1));
    }
    const QHash<QString, QString> files = {
        {u"./opt/kavr-im/kavr-im"_s, u"-rwxr-xr-x root/root"_s},
        {u"./opt/kavr-im/kavr-im-report"_s, u"-rwxr-xr-x root/root"_s},
        {u"./opt/kavr-im/Result/"_s, u"drwxr-xr-x root/root"_s},
        {u"./usr/share/applications/kavr-im.desktop"_s, u"-rw-r--r-- root/root"_s},
        {u"./usr/share/applications/kavr-im-report.desktop"_s, u"-rw-r--r-- root/root"_s},
        {u"./usr/share/icons/hicolor/32x32/apps/kavr-im.png"_s, u"-rw-r--r-- root/root"_s},
    };
    for (auto it = files.begin(); it != files.end(); ++it)
        QCOMPARE(entries.value(it.key()), it.value());
    // Nothing else but the folders leading there.
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (files.contains(it.key()))
            continue;
        QVERIFY2(it.key().endsWith(u'/') && it.value().startsWith(u'd'), qPrintable(it.key()));
        bool leads = false;
        for (const QString &file : files.keys())
            leads = leads || file.startsWith(it.key());
        QVERIFY2(leads, qPrintable(it.key()));
    }
}

void TestPackage::controlFields()
{
    const Run control = Execute(u"dpkg-deb"_s, {u"-f"_s, m_deb});
    QCOMPARE(control.exitCode, 0);
    const QHash<QString, QString> fields = Fields(control.out, u':');
    QCOMPARE(fields.value(u"Package"_s), u"kavr-im"_s);
    QCOMPARE(fields.value(u"Version"_s), QStringLiteral(KAVR_VERSION));
    const Run arch = Execute(u"dpkg"_s, {u"--print-architecture"_s});
    QCOMPARE(fields.value(u"Architecture"_s), arch.out.trimmed());
    QVERIFY(!fields.value(u"Maintainer"_s).isEmpty());
    QCOMPARE(fields.value(u"Section"_s), u"science"_s);
    QVERIFY(!fields.value(u"Description"_s).isEmpty());

    QStringList depends;
    for (const QString &d : fields.value(u"Depends"_s).split(u','))
        depends << d.trimmed().section(u' ', 0, 0);
    for (const char *needed :
         {"libc6", "libstdc++6", "libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6multimedia6",
          "libjpeg62-turbo", "libsndfile1", "libx11-6", "qt6-qpa-plugins"})
        QVERIFY2(depends.contains(QString::fromLatin1(needed)),
                 qPrintable(fields.value(u"Depends"_s)));
}

// The postinst of the package, run on the unpacked tree as dpkg runs it for another root.
void TestPackage::postinstOpensResultToUsers()
{
    const QString postinst = m_dir.filePath(u"root/DEBIAN/postinst"_s);
    QVERIFY(QFileInfo(postinst).isExecutable());
    const group *users = getgrnam("users");
    if (!users || geteuid() != 0)
        QSKIP("needs root and the group users");

    const QString result = unpacked(u"/opt/kavr-im/Result"_s);
    QVERIFY(QFileInfo(result).isDir());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"DPKG_ROOT"_s, m_dir.filePath(u"root"_s));
    const Run run = Execute(u"/bin/sh"_s, {postinst, u"configure"_s}, env);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));

    struct stat st
    {
    };
    QCOMPARE(stat(QFile::encodeName(result).constData(), &st), 0);
    QCOMPARE(st.st_gid, users->gr_gid);
    QCOMPARE(st.st_mode & 07777, mode_t(02775));
}

void TestPackage::desktopEntryAndIcon_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("command");
    QTest::newRow("the program") << u"kavr-im"_s << u"KAVR.IM"_s << u"/opt/kavr-im/kavr-im"_s;
    QTest::newRow("the report's window") << u"kavr-im-report"_s << u"KAVR.IM results"_s
                                         << u"/opt/kavr-im/kavr-im-report --window"_s;
}

void TestPackage::desktopEntryAndIcon()
{
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QString, command);
    QFile file(unpacked(u"/usr/share/applications/%1.desktop"_s.arg(name)));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY(text.startsWith(u"[Desktop Entry]\n"_s));
    const QHash<QString, QString> entry = Fields(text, u'=');
    QCOMPARE(entry.value(u"Type"_s), u"Application"_s);
    QCOMPARE(entry.value(u"Name"_s), title);
    QCOMPARE(entry.value(u"Terminal"_s), u"false"_s);
    QVERIFY(entry.value(u"Categories"_s).endsWith(u';'));
    // The command is the packaged program, the icon one the theme finds by that name.
    const QString exec = entry.value(u"Exec"_s);
    QCOMPARE(exec, command);
    QVERIFY(QFileInfo(unpacked(exec.section(u' ', 0, 0))).isExecutable());
    QCOMPARE(entry.value(u"Icon"_s), u"kavr-im"_s);

    const QImage png(unpacked(u"/usr/share/icons/hicolor/32x32/apps/kavr-im.png"_s));
    const QImage ico(QStringLiteral(KAVR_ICON));
    QVERIFY(!ico.isNull());
    QCOMPARE(png.size(), QSize(32, 32));
    QCOMPARE(png.convertToFormat(QImage::Format_ARGB32),
             ico.convertToFormat(QImage::Format_ARGB32));
}

// The report finds Result beside itself in /opt/kavr-im.
void TestPackage::reportRunsWhereInstalled()
{
    const QString report = unpacked(u"/opt/kavr-im/kavr-im-report"_s);
    const Run version = Execute(report, {u"--version"_s});
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.out.trimmed(), u"kavr-im-report "_s + QStringLiteral(KAVR_VERSION));

    const Run run = Execute(report, {});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.contains(QDir::toNativeSeparators(unpacked(u"/opt/kavr-im/Result"_s))),
             qPrintable(run.err));
}

QTEST_GUILESS_MAIN(TestPackage)
#include "test_deb.moc"
