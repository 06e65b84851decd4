// A network share as a workstation sees it, put before the C library of one process with
// LD_PRELOAD, for tests of what two workstations do at once in one shared folder:
//   KAVR_SHARE=nolocks  a share that passes no locks between workstations (CIFS nobrl, NFS
//                       local_lock): flock() always succeeds, as it does on each workstation
//                       alone; and every change of a name takes a round trip to the server
//                       (0-2 ms), as on any share;
//   KAVR_SHARE=nfs      NFS's flock(): an exclusive lock only on a file open for writing
//                       (EBADF on one open for reading), as flock(2) says;
//   KAVR_BOOT_ID=ID     the process runs on another machine: the system's boot id reads ID.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
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
    return AsksForBootId(path) ? OtherBootId() : real(path, flags, mode);
}

} // namespace

extern "C" {

int flock(int fd, int operation) noexcept
{
    if (Mode("nolocks"))
        return 0;
    if (Mode("nfs") && (operation & LOCK_EX) && (fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDONLY) {
        errno = EBADF;
        return -1;
    }
    return REAL(flock)(fd, operation);
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
    return REAL(unlink)(path);
}

int rename(const char *from, const char *to) noexcept
{
    RoundTrip();
    return REAL(rename)(from, to);
}

int renameat2(int fromDir, const char *from, int toDir, const char *to, unsigned flags) noexcept
{
    RoundTrip();
    return REAL(renameat2)(fromDir, from, toDir, to, flags);
}

int link(const char *from, const char *to) noexcept
{
    RoundTrip();
    return REAL(link)(from, to);
}

int linkat(int fromDir, const char *from, int toDir, const char *to, int flags) noexcept
{
    RoundTrip();
    return REAL(linkat)(fromDir, from, toDir, to, flags);
}

} // extern "C"
