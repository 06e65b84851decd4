#pragma once
// Files reached by a name the program found in a folder or planned to use there: Result may be
// shared by a lab's workstations and operators, and any of them may have left anything under
// any name. Nothing here follows a symbolic link (or, on Windows, a junction or other reparse
// point) at the last step of a path, waits on a FIFO or a device, or reads without a bound.
// Folders on the way are followed: a Result folder mounted or linked by the lab is its own
// choice. Errors are returned, never thrown; each carries a reason the operator can read.
#include "platform/files/OwnedFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace kavr::platform {

enum class FileKind {
    Missing,
    Regular,
    Directory,
    Link,    // a symbolic link, a junction or another reparse point: never followed
    Special, // a FIFO, a device, a socket: never opened
};

struct FileState
{
    FileKind kind = FileKind::Missing;
    qint64 size = 0;
    // No write bit for anyone (Windows: the read-only attribute): made so on purpose.
    bool readOnlyOnPurpose = false;
};

// What the name itself is, without opening it.
FileState InspectFile(const QString &path);

// Which file a name stood for when it was read, so that only that file is removed later.
struct FileIdentity
{
    quint64 volume = 0;
    quint64 node = 0;
    bool valid = false;
    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};

struct FileError
{
    enum class Code { None, Exists, NotFound, NotRegular, TooLarge, InUse, ReadOnly, NoPermission,
                      NoSpace, Other };
    Code code = Code::None;
    QString reason; // Russian, for the operator: "это символическая ссылка", the system's text…
    explicit operator bool() const { return code != Code::None; }
};

struct FileRead
{
    QByteArray bytes;
    FileIdentity identity;
    FileError error;
};

// The whole of a regular file of at most maxBytes, or why not (a link, a FIFO, a device, a
// folder, a larger file: left unopened or unread).
FileRead ReadRegularFile(const QString &path, qint64 maxBytes);

// Who may read and write a new file.
enum class FileSharing {
    // As the user's umask says; in a folder others of its group may write (a lab's shared
    // Result), the file goes to the folder's group with read and write for the group, so that
    // operators may replace each other's protocols and recover each other's tests.
    Folder,
    // The owner alone, whatever the folder (the fallback folders hold subjects' names).
    Owner,
};

// Creates path anew, exclusively (never through a link, never over anything that exists) and
// returns it open for writing, or none and sets error. Others may read the file while it is
// open.
OwnedFile CreateNewFile(const QString &path, FileSharing sharing, FileError *error);
// Creates path anew, exclusively, as a lock's owner holds it for its whole life, and calls
// prepare(descriptor) to hold it and write what it must hold before anyone can find it: whoever
// finds the name finds the file held and whole. On Linux it is made without a name (where the
// file system cannot: under a temporary one), prepared (prepare takes the flock()), then given
// its name; on Windows it is made at its name with a handle that lets no one else remove it,
// then prepared. Returns the file open for writing (RemoveOpenFile removes it), or none and sets
// error: Exists when the name is taken, Other when prepare failed.
OwnedFile CreateHeldFile(const QString &path, FileSharing sharing, const std::function<bool(int descriptor)> &prepare,
                         FileError *error);

enum class Replace { Never, RegularFile };

// Writes bytes whole and durable as the file path, in one step: nobody ever sees a part of it,
// and a crash leaves the earlier file or the new one. Replace::Never fails with Exists when
// anything has that name; Replace::RegularFile replaces a regular file that is not read-only on
// purpose and refuses anything else. A file that another program holds open (Windows) is tried
// again for up to inUseWaitMs before InUse is returned. Written first without a name where the
// file system allows (Linux), else under TemporaryFileName(path's name), which a kill may leave.
FileError SaveFile(const QString &path, const QByteArray &bytes, FileSharing sharing, Replace replace,
                   int inUseWaitMs = 0);
// The name a file is written under before it takes finalName: ".<finalName>.<8 hex>.tmp".
QString TemporaryFileName(const QString &finalName);
// Those of names that are such a name of a name ending in finalSuffix (or equal to it), exactly.
QStringList TemporaryFilesOf(const QStringList &names, QStringView finalSuffix);
// The final name a temporary name stands for: the inverse of TemporaryFileName.
QString FinalNameOf(const QString &temporaryName);

// Gives the file from (a name in the same folder) the name to, in one step, as SaveFile does.
FileError RenameFile(const QString &from, const QString &to, Replace replace, int inUseWaitMs = 0);

// Removes path when it is still the file identity names; false when it is not, or cannot go.
// Only the program's own journals, locks and probes are removed so: on Windows a read-only
// attribute is cleared first.
bool RemoveFile(const QString &path, const FileIdentity &identity);
// Removes the file open as descriptor under path, and never another file that took the name
// meanwhile (a lab member's, another workstation's new lock), also when several processes or
// workstations try at once: on Linux the file is first moved to a name of this process's own,
// which only one of them can do, and removed only if it is the file open as descriptor (else
// it goes back). On Windows a read-only attribute is cleared first where the descriptor may
// (a lock examined, or one's own). NotFound when path no longer names that file. Given
// contents, the file moved must also still hold them: a file server may give a removed file's
// number to a new one (NFS), so that the number alone can name another file.
FileError RemoveOpenFile(int descriptor, const QString &path, const QByteArray &contents = {});
// The identity of an open descriptor.
FileIdentity IdentityOf(int descriptor);
// The identity of what path names now, never through a link; invalid when nothing.
FileIdentity IdentityAt(const QString &path);

// The FileError of a system error: errno on Linux, GetLastError()'s code on Windows.
FileError SystemFileError(int error);

// Appends bytes whole to the open descriptor, straight to the system (a killed process's
// writes stay), or says why not: no space, no quota, the disk gone.
FileError AppendToFile(int descriptor, const QByteArray &bytes);

// Makes what was written to the open descriptor durable: the data reaches the disk (or the file
// server), not only the system's cache, so that a power cut after the call loses none of it. May
// block for milliseconds; safe to call from any thread, and never keeps writes to the file
// waiting meanwhile (on Windows the flush goes through a handle of its own: the file must have
// been opened sharing writing, as CreateNewFile does). False when the system refused.
bool SyncFile(int descriptor);
// Makes the folder's new and removed names durable (Linux: fsync of the folder; Windows keeps
// names in the file system's journal). May block for milliseconds.
void SyncFolder(const QString &folder);

// A file made only to learn something of its folder: whether it takes new files, what time its
// file system keeps. A kill never leaves it where the system allows: on Linux it has no name,
// on Windows the system removes it as its handle closes. Where neither works (a network share
// on Linux) it has a name beginning with ProbePrefix for the moments it lives, which
// FileLock::clearLeftovers removes once its maker is surely gone.
struct ProbeFile
{
    OwnedFile file;
    QString path; // the name to remove when done; empty when the system removes it
    FileError error;
};
inline constexpr QStringView ProbePrefix = u".kavr-probe.";
ProbeFile CreateProbeFile(const QString &folder, FileSharing sharing);
// The name of a probe that has one: ProbePrefix, eight hex digits, ".tmp".
QString ProbeFileName();
// Closes the probe and removes its name.
void DiscardProbeFile(ProbeFile &probe);

// Whether what folder holds outlives a restart of the machine: not so in a folder the system
// empties as it starts (Linux: /tmp, which Debian clears at boot, and any tmpfs). Windows
// empties no folder at start.
bool FolderSurvivesRestart(const QString &folder);

// A folder of this user's own for protocols and journals that no other folder takes, where they
// outlive a restart: on Linux <temp>/kavr-im-<user id> with mode 0700 (the temporary folder
// itself is everyone's), below /var/tmp where the user's temporary folder is emptied at start;
// on Windows %TEMP%\KAVR.IM (the user's own already).
QString PrivateTempFolder();
// Creates a private folder when missing (create) and says whether it is usable: a folder (not a
// link) of this user's own that others cannot enter; an existing one open to others is closed.
bool UsablePrivateFolder(const QString &path, bool create);

} // namespace kavr::platform
