#pragma once
// A lock file that says a test is being journaled, and whether the program that made it still
// lives, also when the folder is shared by several workstations.
//
// The owner makes the file whole and held before it has its name, and holds it for its whole
// life: on Linux with flock() on an open descriptor, on Windows with a handle that lets no one
// else remove the file (a file server keeps that for the other workstations too). Whoever finds
// the name finds it held, so no examiner can ever take a live owner's lock. Others examine it:
// - held: its owner lives (on this machine, or where the share passes locks on);
// - on Windows, not held: its owner is gone, whatever process id it names (Windows and Wine
//   reuse them);
// - on Linux, made on this machine since its last start (the boot's id and the host name say
//   so): its owner is gone when the lock is not held (a lock on this machine is always seen)
//   and the lock says its owner held it; where the owner could not hold it (a file system or a
//   lock manager that keeps no locks: the lock says so), when its process no longer runs (its
//   id and its start, so that an id reused by another process does not count);
// - on Linux, not held and made elsewhere or before this machine's last start: locks may not
//   cross machines (CIFS nobrl, NFS local_lock, machines cloned with one machine-id), so the
//   owner's heartbeat decides: every HeartbeatMs it dates the file with the time of the file
//   system that holds it (a file made in that folder now says what time it is there), and a
//   lock dated StaleAfterMs before that time is abandoned; anything fresher, or dated in the
//   future, cannot be told apart from a live test and is left alone.
// The examiner opens the lock for writing where it may (NFS grants an exclusive lock only on a
// file open for writing), else takes a shared lock, which a live owner's refuses alike.
// Only the examined file is ever removed, never another that took its name meanwhile, also when
// several examiners take one abandoned lock at once (RemoveOpenFile), nor one that a file server
// gave the examined file's number after it went (NFS): every lock says a token of its own, and
// what is removed must say what the examined one said.
#include "platform/files/FileAccess.h"
#include "platform/files/OwnedFile.h"

#include <QString>

#include <memory>

namespace kavr::platform {

class FileLock final
{
public:
    static constexpr int HeartbeatMs = 15'000;
    static constexpr int StaleAfterMs = 2 * 60'000;

    // Makes the lock file path (exclusively) and holds it; null and error when it cannot.
    static std::unique_ptr<FileLock> create(const QString &path, FileSharing sharing, FileError *error);
    // Gives the lock up: the file goes, if it is still this lock's.
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    // Shows that the owner lives: Linux dates the file, while its name is still this lock's;
    // Windows makes sure the handle that says so is still there (a file server's restart loses
    // it) and takes the file again if it is still this lock's. False when that failed, or the
    // name is another's: others may take, or have taken, the test for abandoned. Safe from any
    // one thread at a time.
    bool heartbeat();
    QString path() const { return m_path; }
    // The file made, whatever name it stands under now.
    FileIdentity identity() const { return m_identity; }

    // Why no lock can be made in folder (a file server that lets no one date a file of
    // another's, a clock far behind the server's); empty when one can. Leaves nothing behind.
    static QString problemIn(const QString &folder);

    // Another's lock, as found.
    class Claim;
    static Claim examine(const QString &path);

    // Removes what a maker killed in the moments it lives may leave in folder (probe files, and
    // the temporary names of locks named *lockSuffix being made, claimed or given back), once
    // dated StaleAfterMs before the folder's time: nothing lives that long under such a name. A
    // lock of this machine's under such a name goes at once when its owner is gone. Names are
    // matched exactly, capitals and all: nothing else is touched, whatever a subject's code makes
    // of a file's name. Returns how many went.
    static int clearLeftovers(const QString &folder, QStringView lockSuffix);
    // The full paths of the regular files in folder under a temporary name (TemporaryFileName)
    // of a name ending in one of finalSuffixes, dated StaleAfterMs before the folder's time: a
    // save killed before its rename. None on Windows, where they are not looked for yet.
    static QStringList staleTemporaries(const QString &folder, const QStringList &finalSuffixes);

private:
    FileLock(QString path, OwnedFile file)
        : m_path(std::move(path)), m_file(std::move(file)), m_identity(IdentityOf(m_file.get()))
    {
    }
    // The state of a regular file found under a lock's name: whether its owner lives.
    static void examineOwner(Claim &claim);
    QString m_path;
    OwnedFile m_file;
    FileIdentity m_identity; // the file made, should its handle be lost (Windows)
    quint64 m_beats = 0;
};

class FileLock::Claim final
{
public:
    enum class State {
        Missing, // no lock: nothing guards the journal
        Held, // its owner lives
        Abandoned, // its owner is gone: remove() may take it away
        Undecided, // perhaps a live test on another workstation: left alone
        NotALock, // a link, a FIFO, a device, a folder: left alone
        NoAccess, // a file this user may not open (another operator's, made private): left
    };

    Claim(Claim &&) noexcept = default;
    Claim &operator=(Claim &&) = delete;

    State state() const { return m_state; }
    // The workstation named in the lock, when it names one.
    QString host() const { return m_host; }
    // Whether the lock names a workstation other than this one.
    bool elsewhere() const;
    FileKind kind() const { return m_kind; }
    // Removes an abandoned lock: exactly the file examined. False in any other state, and when
    // another examiner took it first (error NotFound) or it cannot go (error says why).
    bool remove(FileError *error = nullptr);

private:
    friend class FileLock;
    Claim() = default;
    QString m_path;
    State m_state = State::Missing;
    FileKind m_kind = FileKind::Missing;
    QString m_host;
    QByteArray m_contents; // what it said, when examined
    OwnedFile m_file; // held open (and locked, on Linux) from examine() to remove()
};

} // namespace kavr::platform
