#include "FileFaults.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

namespace kavr::shim {

namespace {

struct ErrorName
{
    const char *name;
    int value;
};

constexpr ErrorName Errors[] = {
    {"ENOSPC", ENOSPC},         {"EDQUOT", EDQUOT}, {"EIO", EIO},
    {"EACCES", EACCES},         {"EPERM", EPERM},   {"EROFS", EROFS},
    {"ENOLCK", ENOLCK},         {"EBUSY", EBUSY},   {"ESTALE", ESTALE},
    {"EINVAL", EINVAL},         {"ENOENT", ENOENT}, {"EEXIST", EEXIST},
    {"EAGAIN", EAGAIN},         {"EBADF", EBADF},   {"ENOTDIR", ENOTDIR},
    {"EISDIR", EISDIR},         {"EXDEV", EXDEV},   {"ENOTEMPTY", ENOTEMPTY},
    {"EOPNOTSUPP", EOPNOTSUPP},
};

const char *NameOf(int error)
{
    for (const ErrorName &e : Errors)
        if (e.value == error)
            return e.name;
    static thread_local char number[16];
    snprintf(number, sizeof number, "%d", error);
    return number;
}

enum class What { Nothing, Error, KillBefore, KillAfter };

struct Plan
{
    char folder[PATH_MAX] = {};
    size_t folderLength = 0;
    int log = -1;
    long long at = 0;
    What what = What::Nothing;
    int error = 0;
};

const Plan &ThePlan()
{
    static const Plan plan = [] {
        Plan p;
        const char *folder = getenv("KAVR_FAULT_DIR");
        if (!folder || !realpath(folder, p.folder))
            return p;
        p.folderLength = strlen(p.folder);
        if (const char *log = getenv("KAVR_FAULT_LOG"))
            p.log = int(syscall(SYS_openat, AT_FDCWD, log,
                                O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
        if (const char *fault = getenv("KAVR_FAULT")) {
            char *rest = nullptr;
            p.at = strtoll(fault, &rest, 10);
            const char *what = rest && *rest == ':' ? rest + 1 : "";
            if (strcmp(what, "kill-before") == 0)
                p.what = What::KillBefore;
            else if (strcmp(what, "kill-after") == 0)
                p.what = What::KillAfter;
            for (const ErrorName &e : Errors)
                if (strcmp(what, e.name) == 0) {
                    p.what = What::Error;
                    p.error = e.value;
                }
        }
        return p;
    }();
    return plan;
}

std::atomic<long long> Counted = 0;

// The paths of the descriptors opened on the folder's tree.
constexpr int MaxTracked = 4096;
std::mutex TrackedMutex;
char *Tracked[MaxTracked];
bool Read[MaxTracked]; // a folder's reading counted

bool TrackedPath(int fd, char *out, size_t size)
{
    if (fd < 0 || fd >= MaxTracked)
        return false;
    const std::lock_guard guard(TrackedMutex);
    if (!Tracked[fd])
        return false;
    snprintf(out, size, "%s", Tracked[fd]);
    return true;
}

// path made absolute (against atFolder, a descriptor or AT_FDCWD); false when it cannot be.
bool Absolute(const char *path, int atFolder, char *out, size_t size)
{
    if (!path)
        return false;
    if (path[0] == '/') {
        snprintf(out, size, "%s", path);
        return true;
    }
    char base[PATH_MAX];
    if (atFolder == AT_FDCWD) {
        if (!getcwd(base, sizeof base))
            return false;
    } else if (!TrackedPath(atFolder, base, sizeof base)) {
        return false;
    }
    snprintf(out, size, "%s/%s", base, path);
    return true;
}

bool OnFolder(const char *absolute)
{
    const Plan &plan = ThePlan();
    return plan.folderLength && strncmp(absolute, plan.folder, plan.folderLength) == 0
        && (absolute[plan.folderLength] == '/' || absolute[plan.folderLength] == '\0');
}

bool MainThread()
{
    return syscall(SYS_gettid) == getpid();
}

void Log(long long number, const char *op, const char *outcome, const char *path,
         const char *detail)
{
    const int log = ThePlan().log;
    if (log < 0)
        return;
    char line[1024];
    const int n = snprintf(line, sizeof line, "%lld\t%s\t%s\t%s\t%s\n", number, op, outcome,
                           path + ThePlan().folderLength, detail);
    if (n > 0)
        syscall(SYS_write, log, line, size_t(n) < sizeof line ? size_t(n) : sizeof line - 1);
}

[[noreturn]] void Kill()
{
    kill(getpid(), SIGKILL);
    _exit(137);
}

} // namespace

FileStep::FileStep(const char *op, const char *path, int atFolder)
{
    char absolute[PATH_MAX];
    const bool counted = ThePlan().folderLength
        && Absolute(path, atFolder, absolute, sizeof absolute) && OnFolder(absolute);
    if (counted)
        snprintf(m_path, sizeof m_path, "%s", absolute);
    begin(op, counted);
}

FileStep::FileStep(const char *op, int fd)
{
    const bool counted = ThePlan().folderLength && TrackedPath(fd, m_path, sizeof m_path);
    begin(op, counted);
}

void FileStep::begin(const char *op, bool counted)
{
    m_op = op;
    if (!counted)
        return;
    const int saved = errno;
    m_number = MainThread() ? ++Counted : 0;
    const Plan &plan = ThePlan();
    if (m_number != 0 && m_number == plan.at) {
        if (plan.what == What::KillBefore) {
            Log(m_number, m_op, "killed before", m_path, m_detail);
            Kill();
        }
        if (plan.what == What::Error)
            m_error = plan.error;
    }
    errno = saved;
}

int FileStep::failed() const
{
    char outcome[40];
    snprintf(outcome, sizeof outcome, "injected %s", NameOf(m_error));
    Log(m_number, m_op, outcome, m_path, m_detail);
    errno = m_error;
    return -1;
}

long FileStep::done(long result) const
{
    if (m_number < 0)
        return result;
    const int saved = errno;
    char outcome[40] = "ok";
    if (result < 0)
        snprintf(outcome, sizeof outcome, "-1 %s", NameOf(saved));
    const bool last = m_number != 0 && m_number == ThePlan().at
        && ThePlan().what == What::KillAfter;
    Log(m_number, m_op, last ? "killed after" : outcome, m_path, m_detail);
    if (last)
        Kill();
    errno = saved;
    return result;
}

void FileStep::detail(const void *bytes, std::size_t count)
{
    if (m_number < 0)
        return;
    size_t n = 0;
    const char *text = static_cast<const char *>(bytes);
    while (n < count && n < sizeof m_detail - 1 && text[n] != '\t' && text[n] != '\n'
           && text[n] != '\r' && static_cast<unsigned char>(text[n]) >= 0x20)
        ++n;
    memcpy(m_detail, text, n);
    m_detail[n] = '\0';
}

void Opened(int fd, const char *path, int atFolder)
{
    char absolute[PATH_MAX];
    if (fd < 0 || fd >= MaxTracked || !ThePlan().folderLength
        || !Absolute(path, atFolder, absolute, sizeof absolute) || !OnFolder(absolute))
        return;
    const std::lock_guard guard(TrackedMutex);
    free(Tracked[fd]);
    Tracked[fd] = strdup(absolute);
    Read[fd] = false;
}

bool FirstReading(int fd)
{
    if (fd < 0 || fd >= MaxTracked)
        return false;
    const std::lock_guard guard(TrackedMutex);
    return Tracked[fd] && !std::exchange(Read[fd], true);
}

void Closed(int fd)
{
    if (fd < 0 || fd >= MaxTracked || !ThePlan().folderLength)
        return;
    const std::lock_guard guard(TrackedMutex);
    free(Tracked[fd]);
    Tracked[fd] = nullptr;
}

} // namespace kavr::shim
