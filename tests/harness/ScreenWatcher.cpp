#include "harness/ScreenWatcher.h"

#include "harness/MonotonicTime.h"

#include <algorithm>
#include <limits>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>

// Xlib last: its macros (None, Bool, Status) clash with names in Qt's headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

namespace kavr::harness {

namespace {

bool g_xError = false;

int RecordError(Display *, XErrorEvent *)
{
    g_xError = true;
    return 0;
}

// 32-bit TrueColor with 0xRRGGBB masks is QImage::Format_RGB32 byte for byte.
QImage ToQImage(XImage *image)
{
    QImage result(image->width, image->height, QImage::Format_RGB32);
    const bool direct = image->bits_per_pixel == 32 && image->red_mask == 0xFF0000
                        && image->green_mask == 0xFF00 && image->blue_mask == 0xFF;
    for (int y = 0; y < image->height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        if (direct) {
            const auto *source = reinterpret_cast<const quint32 *>(image->data + std::size_t(y) * image->bytes_per_line);
            for (int x = 0; x < image->width; ++x)
                line[x] = source[x] | 0xFF000000u;
        } else {
            for (int x = 0; x < image->width; ++x)
                line[x] = QRgb(XGetPixel(image, x, y)) | 0xFF000000u;
        }
    }
    return result;
}

} // namespace

ScreenWatcher::ScreenWatcher() = default;

ScreenWatcher::~ScreenWatcher()
{
    detachSharedMemory();
    if (m_display)
        XCloseDisplay(m_display);
}

bool ScreenWatcher::open(const QString &display)
{
    // Xlib's default handler ends the process; a window that went before its map notification
    // was read (a BadWindow) must not end the watching program.
    XSetErrorHandler(RecordError);
    m_display = XOpenDisplay(display.toLocal8Bit().constData());
    if (!m_display) {
        m_error = QStringLiteral("cannot open display %1").arg(display);
        return false;
    }
    attachSharedMemory(); // optional: XGetImage serves where it fails
    return true;
}

QSize ScreenWatcher::screenSize() const
{
    if (!m_display)
        return {};
    return {DisplayWidth(m_display, DefaultScreen(m_display)), DisplayHeight(m_display, DefaultScreen(m_display))};
}

bool ScreenWatcher::attachSharedMemory()
{
    if (!XShmQueryExtension(m_display))
        return false;
    const QSize screen = screenSize();
    m_shmBytes = std::size_t(screen.width()) * std::size_t(screen.height()) * 4;
    m_shmId = shmget(IPC_PRIVATE, m_shmBytes, IPC_CREAT | 0600);
    if (m_shmId < 0)
        return false;
    void *address = shmat(m_shmId, nullptr, 0);
    if (address == reinterpret_cast<void *>(-1)) {
        shmctl(m_shmId, IPC_RMID, nullptr);
        m_shmId = -1;
        return false;
    }
    auto *info = new XShmSegmentInfo{};
    info->shmid = m_shmId;
    info->shmaddr = static_cast<char *>(address);
    info->readOnly = False;
    g_xError = false;
    const bool attached = XShmAttach(m_display, info);
    XSync(m_display, False);
    shmctl(m_shmId, IPC_RMID, nullptr); // freed once both sides have let go
    if (!attached || g_xError) {
        shmdt(address);
        delete info;
        m_shmId = -1;
        return false;
    }
    m_shmInfo = info;
    m_shmImageData = info->shmaddr;
    return true;
}

void ScreenWatcher::detachSharedMemory()
{
    auto *info = static_cast<XShmSegmentInfo *>(m_shmInfo);
    if (!info)
        return;
    XShmDetach(m_display, info);
    XSync(m_display, False);
    shmdt(info->shmaddr);
    delete info;
    m_shmInfo = nullptr;
    m_shmImageData = nullptr;
}

QImage ScreenWatcher::grab(const QRect &area)
{
    if (!m_display || area.isEmpty() || !QRect(QPoint(0, 0), screenSize()).contains(area))
        return {};
    const Window root = DefaultRootWindow(m_display);
    if (auto *info = static_cast<XShmSegmentInfo *>(m_shmInfo)) {
        const int screen = DefaultScreen(m_display);
        XImage *image = XShmCreateImage(m_display, DefaultVisual(m_display, screen),
                                        unsigned(DefaultDepth(m_display, screen)), ZPixmap,
                                        m_shmImageData, info, unsigned(area.width()), unsigned(area.height()));
        if (image && std::size_t(image->bytes_per_line) * std::size_t(image->height) <= m_shmBytes
            && XShmGetImage(m_display, root, image, area.x(), area.y(), AllPlanes)) {
            QImage result = ToQImage(image);
            image->data = nullptr; // the segment is ours, not the image's
            XDestroyImage(image);
            return result;
        }
        if (image) {
            image->data = nullptr;
            XDestroyImage(image);
        }
    }
    XImage *image = XGetImage(m_display, root, area.x(), area.y(), unsigned(area.width()),
                              unsigned(area.height()), AllPlanes, ZPixmap);
    if (!image)
        return {};
    QImage result = ToQImage(image);
    XDestroyImage(image);
    return result;
}

std::vector<std::optional<Transition>> ScreenWatcher::waitFor(const std::vector<ScreenProbe> &probes,
                                                              std::int64_t sinceNs, std::int64_t deadlineNs,
                                                              const WatchPace &pace)
{
    std::vector<std::optional<Transition>> found(probes.size());
    std::vector<std::int64_t> lastFalse(probes.size(), sinceNs);
    std::size_t remaining = probes.size();
    while (remaining > 0) {
        for (std::size_t i = 0; i < probes.size(); ++i) {
            if (found[i])
                continue;
            const std::int64_t before = MonotonicNs();
            const QImage shown = grab(probes[i].area);
            const std::int64_t sampled = before + (MonotonicNs() - before) / 2;
            if (!shown.isNull() && probes[i].holds(shown)) {
                found[i] = Transition{lastFalse[i], sampled};
                --remaining;
            } else {
                lastFalse[i] = sampled;
            }
        }
        const std::int64_t now = MonotonicNs();
        if (remaining == 0 || now >= deadlineNs)
            break;
        std::int64_t next = now + (now >= pace.fineFromNs ? pace.finePeriodNs : pace.coarsePeriodNs);
        if (now < pace.fineFromNs)
            next = std::min(next, pace.fineFromNs);
        SleepUntilNs(std::min(next, deadlineNs));
    }
    return found;
}

void ScreenWatcher::watchMaps()
{
    if (!m_display)
        return;
    XSelectInput(m_display, DefaultRootWindow(m_display), SubstructureNotifyMask);
    XSync(m_display, True); // notifications of earlier windows are dropped

}

std::optional<MappedWindow> ScreenWatcher::waitForMappedWindow(QSize minSize, std::int64_t deadlineNs)
{
    if (!m_display)
        return std::nullopt;
    const Window root = DefaultRootWindow(m_display);
    for (;;) {
        while (XPending(m_display) > 0) {
            const std::int64_t read = MonotonicNs();
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type != MapNotify || event.xmap.event != root)
                continue;
            XWindowAttributes attributes;
            g_xError = false;
            if (!XGetWindowAttributes(m_display, event.xmap.window, &attributes) || g_xError)
                continue;
            if (attributes.width < minSize.width() || attributes.height < minSize.height()
                || attributes.override_redirect)
                continue;
            int x = 0, y = 0;
            Window child = 0;
            XTranslateCoordinates(m_display, event.xmap.window, root, 0, 0, &x, &y, &child);
            return MappedWindow{event.xmap.window, QRect(x, y, attributes.width, attributes.height), read};
        }
        const std::int64_t now = MonotonicNs();
        if (now >= deadlineNs)
            return std::nullopt;
        pollfd descriptor{ConnectionNumber(m_display), POLLIN, 0};
        const std::int64_t waitMs = std::min<std::int64_t>((deadlineNs - now) / NsPerMs + 1, 1000);
        poll(&descriptor, 1, int(waitMs));
    }
}

} // namespace kavr::harness
