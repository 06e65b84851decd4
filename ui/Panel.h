#pragma once
// A panel with separate outer and inner bevels and a border between them, a centred caption
// and an integer tag. Its client area lies inside the bevels and the border; children that
// fill it (figure images) are placed there.
//
// A click is Qt's button click: the left button pressed and released over the panel, so a
// drag that ends elsewhere is none. The panel never takes the keyboard focus, so the keys stay
// with the window; disabled, it lets clicks through to what lies beneath.
#include <QAbstractButton>

#include <functional>

namespace kavr::ui {

class Panel : public QAbstractButton
{
    Q_OBJECT
public:
    enum class Bevel { None, Lowered, Raised };
    using ClickHandler = std::function<void(Panel *)>;

    explicit Panel(QWidget *parent = nullptr);

    void setBevels(Bevel outer, Bevel inner) { m_outer = outer; m_inner = inner; update(); }
    void setBorderWidth(int width) { m_borderWidth = width; update(); }
    void setColor(const QColor &color);
    QColor color() const { return m_color; }
    void setCaption(const QString &caption) { m_caption = caption; update(); }
    QString caption() const { return m_caption; }
    void setCaptionColor(const QColor &color) { m_captionColor = color; update(); }

    // The inner area, where children that fill the panel lie.
    QRect clientRect() const;

    int Tag = 0;
    QString Hint; // data, never shown as a tooltip

    // Called on each click; nullptr takes the handler off (also from within the handler).
    void setOnClick(ClickHandler handler) { m_onClick = std::move(handler); }
    bool hasOnClick() const { return bool(m_onClick); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    Bevel m_outer = Bevel::None;
    Bevel m_inner = Bevel::None;
    int m_borderWidth = 0;
    QColor m_color;
    QColor m_captionColor;
    QString m_caption;
    ClickHandler m_onClick;
};

} // namespace kavr::ui
