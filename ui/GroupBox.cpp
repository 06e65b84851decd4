#include "ui/GroupBox.h"

#include "ui/SystemColors.h"

#include <QFontMetrics>
#include <QPainter>
#include <qdrawutil.h>

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
    // Etched: a dark frame with a light one a pixel to the lower right, each one pixel wide.
    // (qDrawShadeRect's etched frame would also light the top-right and bottom-left corners.)
    const QRect frame(0, frameTop, width() - 1, height() - frameTop - 1);
    qDrawPlainRect(&p, frame.translated(1, 1), ButtonHighlight);
    qDrawPlainRect(&p, frame, ButtonShadow);
    if (m_caption.isEmpty())
        return;
    const QRect text(8, 0, metrics.horizontalAdvance(m_caption), metrics.height());
    p.fillRect(text, ButtonFace);
    p.setPen(m_captionColor);
    p.setFont(font());
    p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_caption);
}

} // namespace kavr::ui
