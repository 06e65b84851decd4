#include "platform/priority/TimedPriority.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace kavr::platform {

namespace {

// Above the ordinary programs, below the display server and sound servers (RealtimeKit grants
// up to 20 by default; PipeWire asks for 20 or more).
constexpr int TimedFifoPriority = 10;
// CPU time a real-time thread may run without sleeping. The timed thread sleeps between the
// screen's events; its longest stretch (a set-up repeated during the exposure decodes the
// figures) takes tens of milliseconds. RealtimeKit refuses a hard limit above its own maximum,
// 200 ms by default.
constexpr rlim_t SoftRealTimeUs = 100'000;
constexpr rlim_t HardRealTimeUs = 200'000;
constexpr int BusTimeoutMs = 500;

const QString RealtimeKit = QStringLiteral("org.freedesktop.RealtimeKit1");
const QString RealtimeKitPath = QStringLiteral("/org/freedesktop/RealtimeKit1");

// The thread running real-time on this grant, for the handler below; 0 when none.
std::atomic<pid_t> RaisedThread{0};

// Once set, the reset-on-fork flag may be cleared only with CAP_SYS_NICE: a thread without it
// that asks for a policy without the flag is refused, even to lower its priority.
constexpr int KeepResetOnFork = SCHED_RESET_ON_FORK;

// Past the soft limit the kernel sends SIGXCPU, whose default ends the process: the thread goes
// back to the ordinary policy instead and the test goes on. A system call, safe in a handler.
void BackToOrdinary(int)
{
    const pid_t thread = RaisedThread.exchange(0);
    if (thread > 0) {
        const sched_param ordinary{0};
        ::sched_setscheduler(thread, SCHED_OTHER | KeepResetOnFork, &ordinary);
    }
}

// The CPU-time limit for real-time threads, lowered to at most hardUs and never raised; the
// handler for its soft limit, installed once. False when the process is left without one.
bool LimitRealTime(rlim_t hardUs)
{
    static const bool handled = [] {
        struct sigaction action
        {
        };
        action.sa_handler = BackToOrdinary;
        ::sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        return ::sigaction(SIGXCPU, &action, nullptr) == 0;
    }();
    rlimit limit{};
    if (!handled || ::getrlimit(RLIMIT_RTTIME, &limit) != 0)
        return false;
    const rlim_t hard = std::min(limit.rlim_max, hardUs);
    const rlim_t soft = std::min(
        {limit.rlim_cur, hard / 2, SoftRealTimeUs}); // the handler's turn first
    if (limit.rlim_max == hard && limit.rlim_cur == soft)
        return true;
    const rlimit lowered{soft, hard};
    return ::setrlimit(RLIMIT_RTTIME, &lowered) == 0;
}

std::string Errno(int error)
{
    return std::strerror(error);
}

std::string Text(const QString &text)
{
    return text.toStdString();
}

QDBusMessage Call(QDBusConnection &bus, const QString &interface, const QString &method,
                  const QList<QVariant> &arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(RealtimeKit, RealtimeKitPath, interface,
                                                       method);
    call.setArguments(arguments);
    return bus.call(call, QDBus::Block, BusTimeoutMs);
}

// A property of RealtimeKit's; fallback where it does not say.
qint64 KitProperty(QDBusConnection &bus, const QString &name, qint64 fallback)
{
    const QDBusMessage reply = Call(bus, QStringLiteral("org.freedesktop.DBus.Properties"),
                                    QStringLiteral("Get"), {RealtimeKit, name});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return fallback;
    bool ok = false;
    const qint64 value = reply.arguments().constFirst().value<QDBusVariant>().variant().toLongLong(
        &ok);
    return ok ? value : fallback;
}

// Asks RealtimeKit to make thread real-time; empty when it did, else why not.
std::string AskRealtimeKit(pid_t thread, int &priority)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return "no system bus (" + Text(bus.lastError().message()) + ")";
    priority = int(std::min<qint64>(
        TimedFifoPriority,
        KitProperty(bus, QStringLiteral("MaxRealtimePriority"), TimedFifoPriority)));
    const qint64 maxUs = KitProperty(bus, QStringLiteral("RTTimeUSecMax"), qint64(HardRealTimeUs));
    if (priority < 1 || maxUs <= 0)
        return "RealtimeKit grants no real-time priority";
    if (!LimitRealTime(rlim_t(maxUs)))
        return "no CPU-time limit for real-time threads";
    const QDBusMessage reply = Call(
        bus, RealtimeKit, QStringLiteral("MakeThreadRealtime"),
        {QVariant::fromValue(quint64(thread)), QVariant::fromValue(quint32(priority))});
    if (reply.type() != QDBusMessage::ReplyMessage)
        return "RealtimeKit: " + Text(reply.errorName()) + " " + Text(reply.errorMessage());
    return {};
}

bool IsRealTime(int policy)
{
    policy &= ~SCHED_RESET_ON_FORK;
    return policy == SCHED_FIFO || policy == SCHED_RR;
}

} // namespace

struct TimedPriority::Held
{
    bool asked = false;
    PriorityGrant grant;
    pid_t thread = 0;
    bool changed = false; // the thread's policy is ours to give back
    int policy = SCHED_OTHER;
    sched_param param{};
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
    held.thread = ::gettid();
    held.policy = ::sched_getscheduler(0);
    ::sched_getparam(0, &held.param);
    if (IsRealTime(held.policy)) {
        held.grant = {true,
                      "already real-time (policy "
                          + std::to_string(held.policy & ~SCHED_RESET_ON_FORK) + ", priority "
                          + std::to_string(held.param.sched_priority) + ")"};
        return held.grant;
    }
    if (!LimitRealTime(HardRealTimeUs)) {
        held.grant = {false, "no CPU-time limit for real-time threads (" + Errno(errno) + ")"};
        return held.grant;
    }
    // The flag keeps the journal's worker, started later, at the ordinary policy.
    const sched_param direct{TimedFifoPriority};
    RaisedThread = held.thread;
    if (::sched_setscheduler(0, SCHED_FIFO | SCHED_RESET_ON_FORK, &direct) == 0) {
        held.changed = true;
        held.grant = {true,
                      "SCHED_FIFO " + std::to_string(TimedFifoPriority) + ", set by the program"};
        return held.grant;
    }
    const std::string refused = Errno(errno);
    int priority = 0;
    const std::string kit = AskRealtimeKit(held.thread, priority);
    const int policy = ::sched_getscheduler(0);
    if (kit.empty() && IsRealTime(policy)) {
        held.changed = true;
        held.grant = {true, "SCHED_RR " + std::to_string(priority) + ", by RealtimeKit"};
        return held.grant;
    }
    RaisedThread = 0;
    held.grant = {false,
                  "SCHED_FIFO: " + refused + "; "
                      + (kit.empty() ? "RealtimeKit left the policy as it was" : kit)};
    return held.grant;
}

void TimedPriority::restore()
{
    Held &held = *m_held;
    if (held.changed) {
        RaisedThread = 0;
        ::sched_setscheduler(held.thread, held.policy | KeepResetOnFork, &held.param);
    }
    held = Held{};
}

} // namespace kavr::platform
