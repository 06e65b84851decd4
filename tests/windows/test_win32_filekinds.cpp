// What a name found in Result is on Windows, from its attributes and reparse tag: only a name
// surrogate leads elsewhere; OneDrive's placeholders on a synced Desktop, deduplicated and
// compressed files are files to read and replace like any other.
#include "platform/files/Win32Files.h"

#include <QTest>

using kavr::platform::FileKind;
using kavr::platform::win32::KindOf;

class Win32FileKinds : public QObject
{
    Q_OBJECT

private slots:
    void kindOfAName_data();
    void kindOfAName();
};

void Win32FileKinds::kindOfAName_data()
{
    QTest::addColumn<quint32>("attributes");
    QTest::addColumn<quint32>("tag");
    QTest::addColumn<FileKind>("kind");
    const quint32 reparse = FILE_ATTRIBUTE_REPARSE_POINT, folder = FILE_ATTRIBUTE_DIRECTORY;
    QTest::newRow("symbolic link") << reparse << quint32(IO_REPARSE_TAG_SYMLINK) << FileKind::Link;
    QTest::newRow("junction") << (reparse | folder) << quint32(IO_REPARSE_TAG_MOUNT_POINT) << FileKind::Link;
    QTest::newRow("WSL symbolic link") << reparse << 0xA000001Du << FileKind::Link;
    QTest::newRow("OneDrive file, fully local") << (reparse | FILE_ATTRIBUTE_ARCHIVE) << 0x9000601Au << FileKind::Regular;
    QTest::newRow("OneDrive file, online only") << (reparse | FILE_ATTRIBUTE_OFFLINE) << 0x9000001Au << FileKind::Regular;
    QTest::newRow("OneDrive folder") << (reparse | folder) << 0x9000701Au << FileKind::Directory;
    QTest::newRow("deduplicated") << reparse << quint32(IO_REPARSE_TAG_DEDUP) << FileKind::Regular;
    QTest::newRow("compressed (WOF)") << reparse << 0x80000017u << FileKind::Regular;
    QTest::newRow("no reparse point") << quint32(FILE_ATTRIBUTE_ARCHIVE) << 0u << FileKind::Regular;
    QTest::newRow("socket") << reparse << 0x80000023u << FileKind::Special;
    QTest::newRow("WSL FIFO") << reparse << 0x80000024u << FileKind::Special;
    QTest::newRow("device") << quint32(FILE_ATTRIBUTE_DEVICE) << 0u << FileKind::Special;
}

void Win32FileKinds::kindOfAName()
{
    QFETCH(quint32, attributes);
    QFETCH(quint32, tag);
    QFETCH(FileKind, kind);
    QCOMPARE(KindOf(attributes, tag), kind);
}

QTEST_GUILESS_MAIN(Win32FileKinds)
#include "test_win32_filekinds.moc"
