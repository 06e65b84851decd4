#include "ui/FigureImage.h"

#include <QMouseEvent>
#include <QPainter>

namespace kavr::ui {

FigureImage::FigureImage(QWidget *parent) : QWidget(parent) {}

void FigureImage::setPicture(const QImage &picture)
{
    m_picture = picture;
    update();
}

void FigureImage::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    QPainter p(this);
    p.drawImage(QPoint(0, 0), m_picture);
}

void FigureImage::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void FigureImage::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton
        && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click && m_onClick) {
        const ClickHandler handler = m_onClick;
        handler(this);
    }
}

} // namespace kavr::ui
