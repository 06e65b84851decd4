#include "ui/FigureImage.h"

#include <QEvent>
#include <QPainter>

namespace kavr::ui {

FigureImage::FigureImage(QWidget *parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (m_onClick) {
            // The handler may take itself off the image: call a copy.
            const ClickHandler handler = m_onClick;
            handler(this);
        }
    });
}

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

void FigureImage::changeEvent(QEvent *event)
{
    // Qt's buttons swallow the mouse while disabled; a disabled control here lets clicks
    // through to what lies beneath, as a control that takes no mouse input.
    if (event->type() == QEvent::EnabledChange)
        setAttribute(Qt::WA_TransparentForMouseEvents, !isEnabled());
    QAbstractButton::changeEvent(event);
}

} // namespace kavr::ui
