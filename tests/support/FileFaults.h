#pragma once
// The fault layer of the share shim: the file operations a process makes on one folder's tree,
// counted from 1 in the order they are made, logged, and one of them made to fail or to be the
// process's last, as a sweep of every step of a run asks:
//   KAVR_FAULT_DIR=DIR    the folder whose operations count (a path under it, or a descriptor
//                         opened under it)
//   KAVR_FAULT_LOG=FILE   every counted operation appended as a line:
//                         <n> TAB <op> TAB <outcome> TAB <path> TAB <detail>
//                         outcome "ok", "-1 <errno name>", "injected <errno name>", "killed
//                         before" or "killed after"; detail, for a write, its first word
//   KAVR_FAULT=K:WHAT     the K-th counted operation fails with the errno named WHAT (ENOSPC,
//                         EDQUOT, EIO, EACCES, EPERM, EROFS, ENOLCK, EBUSY, ESTALE, EINVAL), or
//                         the process is killed (SIGKILL) just before it (kill-before) or just
//                         after it returned (kill-after)
// Only the process's main thread is counted: the order of its operations is the run's own,
// so a case found once is found again. Others' operations are logged with number 0.
#include <cstddef>

namespace kavr::shim {

// One operation, named op as the list of operations names it, on path or on descriptor fd.
class FileStep
{
public:
    FileStep(const char *op, const char *path, int atFolder = -100 /* AT_FDCWD */);
    FileStep(const char *op, int fd);

    // Whether the plan fails this one; then failed() logs it and gives -1 with errno set.
    bool fails() const { return m_error != 0; }
    int failed() const;
    // Logs what the real call gave (errno as it left it) and ends the process when planned.
    long done(long result) const;
    // What a write writes, its first word logged.
    void detail(const void *bytes, std::size_t count);

private:
    void begin(const char *op, bool counted);

    const char *m_op = nullptr;
    char m_path[512] = {};
    char m_detail[24] = {};
    long long m_number = -1; // -1: not on the folder; 0: another thread's
    int m_error = 0;
};

// Descriptors opened on the folder's tree, so that what is done through them counts too.
void Opened(int fd, const char *path, int atFolder = -100);
void Closed(int fd);
// Whether this is the first reading of the folder open as fd since it was opened.
bool FirstReading(int fd);

} // namespace kavr::shim
