// A network share as a workstation sees it, put before the C library of one process with
// LD_PRELOAD, for tests of what two workstations do at once in one shared folder:
//   KAVR_SHARE=nolocks  a share that passes no locks between workstations (CIFS nobrl, NFS
//                       local_lock): flock() always succeeds, as it does on each workstation
//                       alone; and every change of a name takes a round trip to the server
//                       (0-2 ms), as on any share;
//   KAVR_SHARE=nfs      NFS's flock(): an exclusive lock only on a file open for writing
//                       (EBADF on one open for reading), as flock(2) says;
//   KAVR_SHARE=oneowner a CIFS mount that shows every file as one owner's (uid=, forceuid):
//                       a time of one's choice may be set on no file, only the current one
//                       (futimens with no times), as on a file of someone else's; and, as on
//                       any CIFS mount, no file is made without a name (O_TMPFILE);
//   KAVR_SHARE=enolck   a failing lock manager: every flock() fails with ENOLCK, in this
//                       process only, while others' work;
//   KAVR_BOOT_ID=ID     the process runs on another machine: the system's boot id reads ID;
//   KAVR_CLOCK_SHIFT_MS=MS  the workstation's clock is MS off: the time it reads, and the time
//                       it gives a file when it sets "now" (as a network client does);
//   KAVR_FILE_TIME_SHIFT_MS=MS  the file times this process sees (fstat, lstat: what the
//                       program reads them with) are MS off, and a time it sets is taken back
//                       by as much, as through a client that translates the server's times;
//   KAVR_FAIL_WRITE=K:N the K-th write() to a regular file fails with errno N ("K+:N": that one
//                       and every later one, a disk that stays full);
//   KAVR_FAULT_DIR, KAVR_FAULT_LOG, KAVR_FAULT  every file operation on one folder's tree
//                       counted, logged, and one failed or made the last (FileFaults.h).
#include "FileFaults.h"

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <initializer_list>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

bool Mode(const char *mode)
{
    const char *set = getenv("KAVR_SHARE");
    return set && strcmp(set, mode) == 0;
}

void RoundTrip()
{
    static unsigned seed;
    if (!Mode("nolocks"))
        return;
    if (!seed)
        seed = unsigned(getpid()) ^ unsigned(time(nullptr));
    const timespec wait = {0, long(rand_r(&seed) % 2000) * 1000L};
    nanosleep(&wait, nullptr);
}

constexpr const char *BootIdPath = "/proc/sys/kernel/random/boot_id";

// The boot id of the machine the process stands for, as the system gives it: a file to read.
int OtherBootId()
{
    const char *id = getenv("KAVR_BOOT_ID");
    const int fd = memfd_create("boot_id", MFD_CLOEXEC);
    if (fd < 0 || write(fd, id, strlen(id)) < 0 || write(fd, "\n", 1) < 0 || lseek(fd, 0, SEEK_SET) < 0)
        return -1;
    return fd;
}

bool AsksForBootId(const char *path)
{
    return getenv("KAVR_BOOT_ID") && strcmp(path, BootIdPath) == 0;
}

template <typename Function>
Function *Real(Function *, const char *name)
{
    return reinterpret_cast<Function *>(dlsym(RTLD_NEXT, name));
}
#define REAL(name) Real(&name, #name)

// open() and open64() alike: the boot id asked for, or the file itself.
int Open(int (*real)(const char *, int, ...), const char *path, int flags, va_list rest)
{
    const mode_t mode = (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(rest, mode_t) : 0;
    if ((flags & O_TMPFILE) == O_TMPFILE && Mode("oneowner")) {
        errno = EOPNOTSUPP;
        return -1;
    }
    if (AsksForBootId(path))
        return OtherBootId();
    kavr::shim::FileStep step("open", path);
    if (step.fails())
        return step.failed();
    const int fd = int(step.done(real(path, flags, mode)));
    kavr::shim::Opened(fd, path);
    return fd;
}

long long Number(const char *name)
{
    const char *set = getenv(name);
    return set ? strtoll(set, nullptr, 10) : 0;
}

long long ShiftNs()
{
    return Number("KAVR_CLOCK_SHIFT_MS") * 1'000'000;
}

long long FileShiftNs()
{
    return Number("KAVR_FILE_TIME_SHIFT_MS") * 1'000'000;
}

timespec Shifted(timespec time, long long ns)
{
    const long long total = (long long)time.tv_sec * 1'000'000'000 + time.tv_nsec + ns;
    return {time_t(total / 1'000'000'000), long(total % 1'000'000'000)};
}

// The times a process gives a file, as the share takes them; false (errno set) when refused.
bool FileTimes(const timespec *given, timespec out[2])
{
    const bool allNow = !given || (given[0].tv_nsec == UTIME_NOW && given[1].tv_nsec == UTIME_NOW);
    if (Mode("oneowner") && !allNow) {
        errno = EPERM; // a time of one's choice is the owner's to set
        return false;
    }
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now); // shifted: the workstation's own clock
    for (int i = 0; i < 2; ++i) {
        const long nsec = given ? given[i].tv_nsec : UTIME_NOW;
        out[i] = nsec == UTIME_NOW ? now
            : nsec == UTIME_OMIT   ? given[i]
                                   : Shifted(given[i], -FileShiftNs());
    }
    return true;
}

template <typename Stat> int Seen(int done, Stat *st)
{
    if (done == 0 && st && FileShiftNs() != 0) {
        st->st_atim = Shifted(st->st_atim, FileShiftNs());
        st->st_mtim = Shifted(st->st_mtim, FileShiftNs());
        st->st_ctim = Shifted(st->st_ctim, FileShiftNs());
    }
    return done;
}

// Whether this write() is the one (or one of those) to fail, and with which errno.
int WriteFailure(int fd)
{
    static std::atomic<long long> writes = 0;
    const char *set = getenv("KAVR_FAIL_WRITE");
    struct stat st
    {
    };
    if (!set || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    char *rest = nullptr;
    const long long k = strtoll(set, &rest, 10);
    const bool onward = rest && *rest == '+';
    const int error = int(strtol(strchr(set, ':') ? strchr(set, ':') + 1 : "5", nullptr, 10));
    const long long n = ++writes;
    return n == k || (onward && n > k) ? error : 0;
}

int ShareFutimens(int fd, const struct timespec times[2])
{
    timespec set[2];
    if (!getenv("KAVR_CLOCK_SHIFT_MS") && !getenv("KAVR_FILE_TIME_SHIFT_MS") && !Mode("oneowner"))
        return REAL(futimens)(fd, times);
    return FileTimes(times, set) ? REAL(futimens)(fd, set) : -1;
}

int ShareUtimensat(int dir, const char *path, const struct timespec times[2], int flags)
{
    timespec set[2];
    if (!getenv("KAVR_CLOCK_SHIFT_MS") && !getenv("KAVR_FILE_TIME_SHIFT_MS") && !Mode("oneowner"))
        return REAL(utimensat)(dir, path, times, flags);
    return FileTimes(times, set) ? REAL(utimensat)(dir, path, set, flags) : -1;
}

int ShareFlock(int fd, int operation)
{
    if (Mode("enolck")) {
        errno = ENOLCK;
        return -1;
    }
    if (Mode("nolocks"))
        return 0;
    if (Mode("nfs") && (operation & LOCK_EX) && (fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDONLY) {
        errno = EBADF;
        return -1;
    }
    return REAL(flock)(fd, operation);
}

} // namespace

extern "C" {

int clock_gettime(clockid_t clock, struct timespec *time) noexcept
{
    const int done = REAL(clock_gettime)(clock, time);
    if (done == 0 && (clock == CLOCK_REALTIME || clock == CLOCK_REALTIME_COARSE) && ShiftNs() != 0)
        *time = Shifted(*time, ShiftNs());
    return done;
}

int gettimeofday(struct timeval *time, void *zone) noexcept
{
    timespec now{};
    if (clock_gettime(CLOCK_REALTIME, &now) != 0)
        return REAL(gettimeofday)(time, zone);
    if (time)
        *time = {now.tv_sec, now.tv_nsec / 1000};
    return 0;
}

int fstat(int fd, struct stat *st) noexcept
{
    return Seen(REAL(fstat)(fd, st), st);
}

int lstat(const char *path, struct stat *st) noexcept
{
    return Seen(REAL(lstat)(path, st), st);
}

int futimens(int fd, const struct timespec times[2]) noexcept
{
    kavr::shim::FileStep step("futimens", fd);
    return step.fails() ? step.failed() : int(step.done(ShareFutimens(fd, times)));
}

int utimensat(int dir, const char *path, const struct timespec times[2], int flags) noexcept
{
    kavr::shim::FileStep step = path ? kavr::shim::FileStep("utimensat", path, dir)
                                     : kavr::shim::FileStep("utimensat", dir);
    return step.fails() ? step.failed() : int(step.done(ShareUtimensat(dir, path, times, flags)));
}

ssize_t write(int fd, const void *bytes, size_t count)
{
    if (const int error = WriteFailure(fd)) {
        errno = error;
        return -1;
    }
    kavr::shim::FileStep step("write", fd);
    step.detail(bytes, count);
    return step.fails() ? step.failed() : step.done(REAL(write)(fd, bytes, count));
}

ssize_t read(int fd, void *bytes, size_t count)
{
    kavr::shim::FileStep step("read", fd);
    return step.fails() ? step.failed() : step.done(REAL(read)(fd, bytes, count));
}

ssize_t pread64(int fd, void *bytes, size_t count, off64_t offset)
{
    kavr::shim::FileStep step("read", fd);
    return step.fails() ? step.failed() : step.done(REAL(pread64)(fd, bytes, count, offset));
}

ssize_t pread(int fd, void *bytes, size_t count, off_t offset)
{
    return pread64(fd, bytes, count, offset);
}

int fsync(int fd)
{
    kavr::shim::FileStep step("fsync", fd);
    return step.fails() ? step.failed() : int(step.done(REAL(fsync)(fd)));
}

int fdatasync(int fd)
{
    kavr::shim::FileStep step("fdatasync", fd);
    return step.fails() ? step.failed() : int(step.done(REAL(fdatasync)(fd)));
}

int close(int fd)
{
    // A descriptor is given back whatever close() says, also when it reports a write the
    // server refused (NFS, CIFS).
    kavr::shim::FileStep step("close", fd);
    kavr::shim::Closed(fd);
    const int done = REAL(close)(fd);
    return step.fails() ? step.failed() : int(step.done(done));
}

int mkdir(const char *path, mode_t mode) noexcept
{
    kavr::shim::FileStep step("mkdir", path);
    return step.fails() ? step.failed() : int(step.done(REAL(mkdir)(path, mode)));
}

int unlinkat(int dir, const char *path, int flags) noexcept
{
    RoundTrip();
    kavr::shim::FileStep step("unlink", path, dir);
    return step.fails() ? step.failed() : int(step.done(REAL(unlinkat)(dir, path, flags)));
}

DIR *opendir(const char *path)
{
    kavr::shim::FileStep step("opendir", path);
    if (step.fails()) {
        step.failed();
        return nullptr;
    }
    DIR *dir = REAL(opendir)(path);
    step.done(dir ? 0 : -1);
    if (dir)
        kavr::shim::Opened(dirfd(dir), path);
    return dir;
}

int closedir(DIR *dir)
{
    if (dir)
        kavr::shim::Closed(dirfd(dir));
    return REAL(closedir)(dir);
}

struct dirent64 *readdir64(DIR *dir)
{
    // The folder is read in one go or a few: its first reading stands for them all.
    if (!dir || !kavr::shim::FirstReading(dirfd(dir))) {
        return REAL(readdir64)(dir);
    }
    kavr::shim::FileStep step("getdents", dirfd(dir));
    if (step.fails()) {
        step.failed();
        return nullptr;
    }
    errno = 0;
    struct dirent64 *entry = REAL(readdir64)(dir);
    step.done(entry || errno == 0 ? 0 : -1);
    return entry;
}

int flock(int fd, int operation) noexcept
{
    kavr::shim::FileStep step("flock", fd);
    if (step.fails())
        return step.failed();
    return int(step.done(ShareFlock(fd, operation)));
}

int open(const char *path, int flags, ...)
{
    va_list rest;
    va_start(rest, flags);
    const int fd = Open(REAL(open), path, flags, rest);
    va_end(rest);
    return fd;
}

int open64(const char *path, int flags, ...)
{
    va_list rest;
    va_start(rest, flags);
    const int fd = Open(REAL(open64), path, flags, rest);
    va_end(rest);
    return fd;
}

int unlink(const char *path) noexcept
{
    RoundTrip();
    kavr::shim::FileStep step("unlink", path);
    return step.fails() ? step.failed() : int(step.done(REAL(unlink)(path)));
}

int rename(const char *from, const char *to) noexcept
{
    RoundTrip();
    kavr::shim::FileStep step("rename", from);
    return step.fails() ? step.failed() : int(step.done(REAL(rename)(from, to)));
}

int renameat2(int fromDir, const char *from, int toDir, const char *to, unsigned flags) noexcept
{
    RoundTrip();
    kavr::shim::FileStep step("renameat2", from, fromDir);
    return step.fails() ? step.failed()
                        : int(step.done(REAL(renameat2)(fromDir, from, toDir, to, flags)));
}

int link(const char *from, const char *to) noexcept
{
    RoundTrip();
    kavr::shim::FileStep step("link", to);
    return step.fails() ? step.failed() : int(step.done(REAL(link)(from, to)));
}

int linkat(int fromDir, const char *from, int toDir, const char *to, int flags) noexcept
{
    RoundTrip();
    kavr::shim::FileStep step("link", to, toDir);
    return step.fails() ? step.failed()
                        : int(step.done(REAL(linkat)(fromDir, from, toDir, to, flags)));
}

} // extern "C"
