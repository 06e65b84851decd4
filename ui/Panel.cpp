#include "ui/Panel.h"

#include "ui/SystemColors.h"

#include <QMouseEvent>
#include <QPainter>

namespace kavr::ui {

namespace {

// One pixel of bevel: light on the top and left, dark on the bottom and right when raised.
void drawBevel(QPainter &p, QRect &r, Panel::Bevel bevel)
{
    if (bevel == Panel::Bevel::None)
        return;
    const QColor topLeft = bevel == Panel::Bevel::Raised ? ButtonHighlight : ButtonShadow;
    const QColor bottomRight = bevel == Panel::Bevel::Raised ? ButtonShadow : ButtonHighlight;
    p.setPen(topLeft);
    p.drawLine(r.left(), r.top(), r.right(), r.top());
    p.drawLine(r.left(), r.top(), r.left(), r.bottom());
    p.setPen(bottomRight);
    p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    p.drawLine(r.right(), r.top(), r.right(), r.bottom());
    r.adjust(1, 1, -1, -1);
}

} // namespace

Panel::Panel(QWidget *parent)
    : QWidget(parent), m_color(ButtonFace), m_captionColor(WindowText)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Panel::setColor(const QColor &color)
{
    m_color = color;
    update();
}

QRect Panel::clientRect() const
{
    const int inset = (m_outer != Bevel::None) + m_borderWidth + (m_inner != Bevel::None);
    return rect().adjusted(inset, inset, -inset, -inset);
}

void Panel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_color);
    QRect r = rect();
    drawBevel(p, r, m_outer);
    r.adjust(m_borderWidth, m_borderWidth, -m_borderWidth, -m_borderWidth);
    drawBevel(p, r, m_inner);
    if (!m_caption.isEmpty()) {
        p.setPen(m_captionColor);
        p.setFont(font());
        p.drawText(rect(), Qt::AlignCenter, m_caption);
    }
}

void Panel::mousePressEvent(QMouseEvent *event)
{
    m_click.press(event);
}

void Panel::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_click.release(event, rect()) && m_onClick) {
        // The handler may take itself off the control: call a copy.
        const ClickHandler handler = m_onClick;
        handler(this);
    }
}

} // namespace kavr::ui
