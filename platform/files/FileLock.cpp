#include "platform/files/FileLock.h"

#include "platform/files/LockContents.h"

#include <utility>

namespace kavr::platform {

namespace {

// Removes the open file from path and closes it. A share that removes no open file (one reached
// through libsmbclient answers "in use") has it removed by name once closed, while it is still
// that file.
FileError RemoveAndClose(OwnedFile file, const QString &path, const QByteArray &contents = {})
{
    FileError error = RemoveOpenFile(file.get(), path, contents);
    const FileIdentity identity = IdentityOf(file.get());
    file.reset();
    if (error.code == FileError::Code::InUse && RemoveFile(path, identity))
        error = {};
    return error;
}

} // namespace

FileLock::~FileLock()
{
    if (m_file)
        RemoveAndClose(std::move(m_file), m_path);
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

bool FileLock::Claim::elsewhere() const
{
    return !m_host.isEmpty() && m_host != lock::ThisHost();
}

bool FileLock::Claim::remove(FileError *error)
{
    if (m_state != State::Abandoned || !m_file)
        return false;
    const FileError failure = RemoveAndClose(std::move(m_file), m_path, m_contents);
    m_state = failure ? State::Undecided : State::Missing;
    if (error)
        *error = failure;
    return !failure;
}

} // namespace kavr::platform
