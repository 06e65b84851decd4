#include "ui/Panel.h"

#include "ui/SystemColors.h"

#include <QEvent>
#include <QPainter>
#include <qdrawutil.h>

namespace kavr::ui {

namespace {

// The bevels' light and shadow, whatever the application's palette says.
const QPalette &BevelPalette()
{
    static const QPalette palette = [] {
        QPalette p;
        p.setColor(QPalette::Light, ButtonHighlight);
        p.setColor(QPalette::Dark, ButtonShadow);
        return p;
    }();
    return palette;
}

// One pixel of bevel around r, then r shrunk past it.
void DrawBevel(QPainter &p, QRect &r, Panel::Bevel bevel)
{
    if (bevel == Panel::Bevel::None)
        return;
    qDrawShadePanel(&p, r, BevelPalette(), bevel == Panel::Bevel::Lowered, 1);
    r.adjust(1, 1, -1, -1);
}

} // namespace

Panel::Panel(QWidget *parent)
    : QAbstractButton(parent), m_color(ButtonFace), m_captionColor(WindowText)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (m_onClick) {
            // The handler may take itself off the panel: call a copy.
            const ClickHandler handler = m_onClick;
            handler(this);
        }
    });
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
    DrawBevel(p, r, m_outer);
    r.adjust(m_borderWidth, m_borderWidth, -m_borderWidth, -m_borderWidth);
    DrawBevel(p, r, m_inner);
    if (!m_caption.isEmpty()) {
        p.setPen(m_captionColor);
        p.setFont(font());
        p.drawText(rect(), Qt::AlignCenter, m_caption);
    }
}

void Panel::changeEvent(QEvent *event)
{
    // Qt's buttons swallow the mouse while disabled; a disabled control here lets clicks
    // through to what lies beneath, as a control that takes no mouse input.
    if (event->type() == QEvent::EnabledChange)
        setAttribute(Qt::WA_TransparentForMouseEvents, !isEnabled());
    QAbstractButton::changeEvent(event);
}

} // namespace kavr::ui
