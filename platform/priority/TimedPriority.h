#pragma once
// The processor for the thread that draws and times the test's phases, asked of the system from
// the start of the exposure until the protocol is saved, and given back afterwards. A lab PC is
// seldom idle (a virus scan, an update, an indexer); at the ordinary priority the thread waits
// for a core at each deadline like everything else, and the subject's exposure runs long.
//
// Only what an ordinary user's program may take, and never at the cost of the test: where the
// system refuses, the thread runs as before and the grant says why.
//   Linux: a real-time policy for the calling thread (SCHED_FIFO), taken directly where the
//   process may (CAP_SYS_NICE, or a real-time allowance in RLIMIT_RTPRIO), else asked of
//   RealtimeKit over the system bus, as sound servers do. A CPU-time limit for real-time work
//   (RLIMIT_RTTIME) is set first: a thread that runs that long without sleeping is put back to
//   the ordinary policy, and should even that fail the kernel ends the process (the journal
//   keeps the test), so that a fault can never freeze the workstation. Threads the thread starts
//   afterwards get the ordinary policy.
//   Windows: the process's class above normal, the thread time-critical, the system timer at
//   its finest (1 ms) and the thread in the multimedia class scheduler's "Games" task. The
//   process's other threads (the journal's) keep their normal priority within the class, below
//   the timed thread.
// Kept free of Qt so that callers' headers stay so.
#include <memory>
#include <string>

namespace kavr::platform {

// What the system granted: granted when the thread now runs above the ordinary programs; how, or
// why not, in words for whoever keeps the lab's machines (English).
struct PriorityGrant
{
    bool granted = false;
    std::string how;
};

class TimedPriority final
{
public:
    TimedPriority();
    // Gives back whatever is still held (on the thread that raised).
    ~TimedPriority();
    TimedPriority(const TimedPriority &) = delete;
    TimedPriority &operator=(const TimedPriority &) = delete;

    // Raises the calling thread as far as the system grants. Asked again before restore(): the
    // grant as it stands, nothing asked anew.
    PriorityGrant raise();
    // Gives back everything raise() obtained, on the thread that raised; nothing when it obtained
    // nothing.
    void restore();

private:
    struct Held;
    std::unique_ptr<Held> m_held;
};

} // namespace kavr::platform
