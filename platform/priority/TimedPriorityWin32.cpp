#include "platform/priority/TimedPriority.h"

#include <windows.h>
#include <algorithm>
#include <avrt.h>
#include <mmsystem.h>

namespace kavr::platform {

namespace {

// The multimedia class scheduler's task for work that must meet a frame's deadline.
constexpr wchar_t SchedulerTask[] = L"Games";

std::string Failed(const char *what)
{
    return std::string(what) + " refused (error " + std::to_string(::GetLastError()) + ")";
}

void Add(std::string &list, const std::string &item)
{
    list += (list.empty() ? "" : ", ") + item;
}

} // namespace

struct TimedPriority::Held
{
    bool asked = false;
    PriorityGrant grant;
    HANDLE thread = nullptr; // a real handle of the thread that raised
    DWORD priorityClass = 0; // the class to give back; 0 when unchanged
    int threadPriority = THREAD_PRIORITY_ERROR_RETURN;
    UINT timerPeriod = 0;
    HANDLE schedulerTask = nullptr;
};

TimedPriority::TimedPriority() : m_held(std::make_unique<Held>())
{
}

TimedPriority::~TimedPriority()
{
    restore();
}

PriorityGrant TimedPriority::raise()
{
    Held &held = *m_held;
    if (held.asked)
        return held.grant;
    held = Held{};
    held.asked = true;
    std::string got;
    std::string missed;

    // Above normal, not high: a class an ordinary user may set that lifts the timed thread
    // without lifting the rest of the program over the desktop. A class set higher is kept.
    const HANDLE process = ::GetCurrentProcess();
    const DWORD before = ::GetPriorityClass(process);
    if (before == NORMAL_PRIORITY_CLASS || before == BELOW_NORMAL_PRIORITY_CLASS
        || before == IDLE_PRIORITY_CLASS) {
        if (::SetPriorityClass(process, ABOVE_NORMAL_PRIORITY_CLASS)) {
            held.priorityClass = before;
            Add(got, "class above normal");
        } else {
            Add(missed, Failed("class above normal"));
        }
    }

    // Time-critical: 15, the top of the classes an ordinary user may set.
    ::DuplicateHandle(process, ::GetCurrentThread(), process, &held.thread, 0, FALSE,
                      DUPLICATE_SAME_ACCESS);
    const int threadBefore = ::GetThreadPriority(::GetCurrentThread());
    const bool timeCritical = ::SetThreadPriority(::GetCurrentThread(),
                                                  THREAD_PRIORITY_TIME_CRITICAL);
    if (timeCritical) {
        held.threadPriority = threadBefore;
        Add(got, "thread time-critical");
    } else {
        Add(missed, Failed("thread time-critical"));
    }

    // The system's timer at its finest while the phases run, so that the event loop's sleeps
    // before a deadline end when asked, not up to 15.6 ms later.
    TIMECAPS caps{};
    if (::timeGetDevCaps(&caps, sizeof caps) == MMSYSERR_NOERROR) {
        const UINT period = std::max<UINT>(1, caps.wPeriodMin);
        if (::timeBeginPeriod(period) == TIMERR_NOERROR) {
            held.timerPeriod = period;
            Add(got, "timer " + std::to_string(period) + " ms");
        } else {
            Add(missed, "timer period refused");
        }
    }

    // The multimedia class scheduler lifts the thread into the real-time range for most of each
    // period, above anything an ordinary program reaches.
    DWORD taskIndex = 0;
    held.schedulerTask = ::AvSetMmThreadCharacteristicsW(SchedulerTask, &taskIndex);
    if (held.schedulerTask)
        Add(got, "multimedia scheduler task Games");
    else
        Add(missed, Failed("multimedia scheduler task"));

    held.grant.granted = timeCritical || held.schedulerTask;
    held.grant.how = got.empty() ? missed : missed.empty() ? got : got + "; " + missed;
    return held.grant;
}

void TimedPriority::restore()
{
    Held &held = *m_held;
    if (held.schedulerTask)
        ::AvRevertMmThreadCharacteristics(held.schedulerTask);
    if (held.timerPeriod)
        ::timeEndPeriod(held.timerPeriod);
    if (held.thread) {
        if (held.threadPriority != THREAD_PRIORITY_ERROR_RETURN)
            ::SetThreadPriority(held.thread, held.threadPriority);
        ::CloseHandle(held.thread);
    }
    if (held.priorityClass)
        ::SetPriorityClass(::GetCurrentProcess(), held.priorityClass);
    held = Held{};
}

} // namespace kavr::platform
