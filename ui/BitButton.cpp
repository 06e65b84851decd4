#include "ui/BitButton.h"

#include "ui/SystemColors.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace kavr::ui {

BitButton::BitButton(QWidget *parent) : QPushButton(parent), m_captionColor(WindowText) {}

void BitButton::setGlyphs(const QPixmap &enabled, const QPixmap &disabled, int spacing)
{
    m_glyph = enabled;
    m_disabledGlyph = disabled;
    m_spacing = spacing;
    update();
}

void BitButton::paintEvent(QPaintEvent *)
{
    QStylePainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = {};
    p.drawControl(QStyle::CE_PushButtonBevel, option);

    const QPixmap &glyph = isEnabled() ? m_glyph : m_disabledGlyph;
    const QFontMetrics metrics(font());
    const int textWidth = metrics.horizontalAdvance(text());
    const int glyphWidth = glyph.isNull() ? 0 : glyph.width() + m_spacing;
    QRect content(0, 0, glyphWidth + textWidth, height());
    content.moveLeft((width() - content.width()) / 2);
    if (isDown())
        content.translate(1, 1);
    if (!glyph.isNull())
        p.drawPixmap(content.left(), content.top() + (height() - glyph.height()) / 2, glyph);
    p.setPen(isEnabled() ? m_captionColor : ButtonShadow);
    p.drawText(content.adjusted(glyphWidth, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text());
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(4, 4, -4, -4);
        p.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

} // namespace kavr::ui
