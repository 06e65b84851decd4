#include "ui/GroupBox.h"

#include "ui/SystemColors.h"

#include <QFontMetrics>
#include <QPainter>

namespace kavr::ui {

GroupBox::GroupBox(QWidget *parent) : QWidget(parent), m_captionColor(WindowText)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GroupBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), ButtonFace);
    const QFontMetrics metrics(font());
    const int frameTop = metrics.height() / 2;
    const QRect frame = rect().adjusted(0, frameTop, -1, -1);
    // Etched: a dark rectangle with a light one one pixel to the lower right.
    p.setPen(ButtonHighlight);
    p.drawRect(frame.adjusted(1, 1, 0, 0));
    p.setPen(ButtonShadow);
    p.drawRect(frame.adjusted(0, 0, -1, -1));
    if (m_caption.isEmpty())
        return;
    const QRect text(8, 0, metrics.horizontalAdvance(m_caption), metrics.height());
    p.fillRect(text, ButtonFace);
    p.setPen(m_captionColor);
    p.setFont(font());
    p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_caption);
}

} // namespace kavr::ui
