#include "platform/files/FileLock.h"

#include "platform/files/LockContents.h"

#include <utility>

namespace kavr::platform {

namespace {

// Removes the file open as descriptor from path and closes it. A share that removes no open
// file (one reached through libsmbclient answers "in use") has it removed by name once closed,
// while it is still that file.
FileError RemoveAndClose(int descriptor, const QString &path)
{
    FileError error = RemoveOpenFile(descriptor, path);
    const FileIdentity identity = IdentityOf(descriptor);
    CloseFile(descriptor);
    if (error.code == FileError::Code::InUse && RemoveFile(path, identity))
        error = {};
    return error;
}

} // namespace

FileLock::~FileLock()
{
    if (m_descriptor >= 0)
        RemoveAndClose(m_descriptor, m_path);
}

FileLock::Claim FileLock::examine(const QString &path)
{
    Claim claim;
    claim.m_path = path;
    claim.m_kind = InspectFile(path).kind;
    if (claim.m_kind == FileKind::Missing)
        return claim;
    claim.m_state = Claim::State::NotALock; // a link, a FIFO, a folder: never opened
    if (claim.m_kind == FileKind::Regular)
        examineOwner(claim);
    return claim;
}

FileLock::Claim::Claim(Claim &&other) noexcept
    : m_path(std::move(other.m_path)),
      m_state(other.m_state),
      m_kind(other.m_kind),
      m_host(std::move(other.m_host)),
      m_descriptor(std::exchange(other.m_descriptor, -1))
{
}

FileLock::Claim::~Claim()
{
    if (m_descriptor >= 0)
        CloseFile(m_descriptor);
}

bool FileLock::Claim::elsewhere() const
{
    return !m_host.isEmpty() && m_host != lock::ThisHost();
}

bool FileLock::Claim::remove(FileError *error)
{
    if (m_state != State::Abandoned || m_descriptor < 0)
        return false;
    const FileError failure = RemoveAndClose(std::exchange(m_descriptor, -1), m_path);
    m_state = failure ? State::Undecided : State::Missing;
    if (error)
        *error = failure;
    return !failure;
}

} // namespace kavr::platform
