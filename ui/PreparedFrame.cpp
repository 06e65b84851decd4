#include "ui/PreparedFrame.h"

#include <QBackingStore>
#include <QPainter>
#include <QWindow>

#include <cmath>

namespace kavr::ui {

namespace {

// The back buffer's image, where the window has one: drawings made ahead must match it.
const QImage *BufferImage(QWidget *window)
{
    QBackingStore *store = window->backingStore();
    if (!store || !window->windowHandle() || !window->isVisible())
        return nullptr;
    return dynamic_cast<const QImage *>(store->paintDevice());
}

// One rectangle: the window system puts it up in one piece, where the parts of a region could
// show one after another.
QRect FrameRect(const QWidget *window, const QRegion &region)
{
    return (region & window->rect()).boundingRect();
}

} // namespace

void PreparedFrame::drawAhead(QWidget *window, const QRegion &region, const std::function<void()> &change,
                              const std::function<void()> &undo)
{
    discard();
    const QImage *buffer = BufferImage(window);
    const QRect rect = FrameRect(window, region);
    if (!buffer || rect.isEmpty())
        return; // drawn when needed
    change();
    const qreal ratio = buffer->devicePixelRatio();
    m_ahead = QImage(rect.size() * ratio, buffer->format());
    m_ahead.setDevicePixelRatio(ratio);
    {
        QPainter painter(&m_ahead);
        window->render(&painter, QPoint(0, 0), QRegion(rect), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
    undo();
    m_aheadWindow = window;
    m_aheadRect = rect;
}

void PreparedFrame::warm()
{
    if (m_ahead.isNull() || !m_aheadWindow)
        return;
    // Written, not read: a page read back may still fault on its first write.
    auto touch = [](const uchar *from, qsizetype bytes) {
        constexpr qsizetype Page = 4096;
        volatile uchar *p = const_cast<uchar *>(from);
        for (qsizetype i = 0; i < bytes; i += Page)
            p[i] = p[i];
        if (bytes > 0)
            p[bytes - 1] = p[bytes - 1];
    };
    touch(m_ahead.constBits(), m_ahead.sizeInBytes());
    if (const QImage *buffer = BufferImage(m_aheadWindow)) {
        const qreal ratio = buffer->devicePixelRatio();
        const int top = qBound(0, int(m_aheadRect.top() * ratio), buffer->height() - 1);
        const int bottom = qBound(0, int(std::ceil((m_aheadRect.bottom() + 1) * ratio)), buffer->height());
        touch(buffer->constScanLine(top), qsizetype(bottom - top) * buffer->bytesPerLine());
    }
}

void PreparedFrame::discard()
{
    m_ahead = QImage();
    m_aheadRect = QRect();
}

void PreparedFrame::draw(QWidget *window, const QRegion &region)
{
    m_window = window;
    m_region = QRegion();
    const QImage *buffer = BufferImage(window);
    if (!buffer) {
        discard();
        return; // nothing on screen yet: the widgets' own paint is all there is
    }
    const QRect rect = FrameRect(window, region);
    m_region = rect;
    const bool ahead = m_aheadWindow == window && m_aheadRect == rect && m_ahead.format() == buffer->format()
        && m_ahead.devicePixelRatio() == buffer->devicePixelRatio();
    QBackingStore *store = window->backingStore();
    store->beginPaint(m_region);
    {
        QPainter painter(store->paintDevice());
        painter.setClipRect(rect);
        if (ahead) {
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(rect.topLeft(), m_ahead);
        } else {
            window->render(&painter, rect.topLeft(), m_region, QWidget::DrawWindowBackground | QWidget::DrawChildren);
        }
    }
    store->endPaint();
    discard(); // drawn once
}

void PreparedFrame::show()
{
    if (m_window && !m_region.isEmpty())
        m_window->backingStore()->flush(m_region, m_window->windowHandle());
    m_region = QRegion();
}

} // namespace kavr::ui
