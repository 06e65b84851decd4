#include "platform/FileLock.h"

#include <utility>

namespace kavr::platform {

FileLock::~FileLock()
{
    if (m_descriptor < 0)
        return;
    RemoveOpenFile(m_descriptor, m_path);
    CloseFile(m_descriptor);
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

bool FileLock::Claim::remove(FileError *error)
{
    if (m_state != State::Abandoned || m_descriptor < 0)
        return false;
    const FileError failure = RemoveOpenFile(m_descriptor, m_path);
    CloseFile(std::exchange(m_descriptor, -1));
    m_state = failure ? State::Undecided : State::Missing;
    if (error)
        *error = failure;
    return !failure;
}

} // namespace kavr::platform
