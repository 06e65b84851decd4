#include "ui/PreparedFrame.h"

#include <QBackingStore>
#include <QPainter>
#include <QWindow>

namespace kavr::ui {

void PreparedFrame::draw(QWidget *window, const QRegion &region)
{
    m_window = window;
    m_region = QRegion();
    QBackingStore *store = window->backingStore();
    if (!store || !window->windowHandle() || !window->isVisible())
        return; // nothing on screen yet: the widgets' own paint is all there is
    // One rectangle: the window system puts it up in one piece, where the parts of a region
    // could show one after another.
    m_region = (region & window->rect()).boundingRect();
    store->beginPaint(m_region);
    {
        QPainter painter(store->paintDevice());
        painter.setClipRegion(m_region);
        window->render(&painter, m_region.boundingRect().topLeft(), m_region,
                       QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
    store->endPaint();
}

void PreparedFrame::show()
{
    if (m_window && !m_region.isEmpty())
        m_window->backingStore()->flush(m_region, m_window->windowHandle());
    m_region = QRegion();
}

} // namespace kavr::ui
