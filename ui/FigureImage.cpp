#include "ui/FigureImage.h"

#include <QMouseEvent>
#include <QPainter>

namespace kavr::ui {

FigureImage::FigureImage(QWidget *parent) : QWidget(parent) {}

void FigureImage::setPicture(const QImage &picture)
{
    m_picture = picture;
    m_drawn = QPixmap::fromImage(picture);
    update();
}

void FigureImage::paintEvent(QPaintEvent *)
{
    if (m_drawn.isNull())
        return;
    QPainter p(this);
    p.drawPixmap(QPoint(0, 0), m_drawn);
}

void FigureImage::mousePressEvent(QMouseEvent *event)
{
    m_click.press(event);
}

void FigureImage::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_click.release(event, rect()) && m_onClick) {
        // The handler may take itself off the control: call a copy.
        const ClickHandler handler = m_onClick;
        handler(this);
    }
}

} // namespace kavr::ui
