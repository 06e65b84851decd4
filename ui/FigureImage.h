#pragma once
// An image control that draws its picture at natural size from its top-left corner, neither
// stretched nor centred; what lies beyond its bounds is cut off. It takes every mouse click
// over it, so a click on a figure never falls through to the panel beneath.
#include "ui/ClickDetector.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <functional>

namespace kavr::ui {

class FigureImage : public QWidget
{
public:
    using ClickHandler = std::function<void(FigureImage *)>;

    explicit FigureImage(QWidget *parent = nullptr);

    void setPicture(const QImage &picture);
    const QImage &picture() const { return m_picture; }

    int Tag = 0;
    QString Hint; // data, never shown as a tooltip

    void setOnClick(ClickHandler handler) { m_onClick = std::move(handler); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QImage m_picture;
    QPixmap m_drawn; // in the screen's own format, so that a paint is a plain copy
    ClickHandler m_onClick;
    ClickDetector m_click;
};

} // namespace kavr::ui
