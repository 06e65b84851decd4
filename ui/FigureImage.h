#pragma once
// An image control that draws its picture at natural size from its top-left corner, neither
// stretched nor centred; what lies beyond its bounds is cut off. A click is Qt's button click,
// as on a panel; the image takes it, so a click on a figure never falls through to the panel
// beneath, unless the image is disabled. It never takes the keyboard focus.
#include <QAbstractButton>
#include <QImage>
#include <QPixmap>

#include <functional>

namespace kavr::ui {

class FigureImage : public QAbstractButton
{
    Q_OBJECT
public:
    using ClickHandler = std::function<void(FigureImage *)>;

    explicit FigureImage(QWidget *parent = nullptr);

    void setPicture(const QImage &picture);
    const QImage &picture() const { return m_picture; }

    int Tag = 0;
    QString Hint; // data, never shown as a tooltip

    // Called on each click; nullptr takes the handler off (also from within the handler).
    void setOnClick(ClickHandler handler) { m_onClick = std::move(handler); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QImage m_picture;
    QPixmap m_drawn; // in the screen's own format, so that a paint is a plain copy
    ClickHandler m_onClick;
};

} // namespace kavr::ui
