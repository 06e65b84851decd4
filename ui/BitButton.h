#pragma once
// A push button that may carry a glyph left of its caption, glyph and caption centred as a
// pair with a fixed spacing between them. Without a glyph it is a plain push button.
#include <QPixmap>
#include <QPushButton>

namespace kavr::ui {

class BitButton : public QPushButton
{
    Q_OBJECT
public:
    explicit BitButton(QWidget *parent = nullptr);

    void setGlyphs(const QPixmap &enabled, const QPixmap &disabled, int spacing);
    void setCaptionColor(const QColor &color) { m_captionColor = color; update(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_glyph;
    QPixmap m_disabledGlyph;
    int m_spacing = 4;
    QColor m_captionColor;
};

} // namespace kavr::ui
