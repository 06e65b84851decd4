#include "ui/ShadowLabel.h"

#include "ui/SystemColors.h"

#include <QPainter>

namespace kavr::ui {

ShadowLabel::ShadowLabel(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setWordWrap(true);
}

void ShadowLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setFont(font());
    const int flags = int(alignment()) | Qt::TextWordWrap;
    p.setPen(ButtonHighlight);
    p.drawText(rect().translated(1, 1), flags, text());
    p.setPen(WindowText);
    p.drawText(rect(), flags, text());
}

} // namespace kavr::ui
