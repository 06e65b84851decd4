#pragma once
// A click as the test counts it: the left button pressed over a control and released over it.
#include <QMouseEvent>
#include <QRect>

namespace kavr::ui {

class ClickDetector
{
public:
    void press(QMouseEvent *event)
    {
        m_pressed = event->button() == Qt::LeftButton;
        event->accept();
    }

    // True when this release completes a click inside area.
    bool release(QMouseEvent *event, const QRect &area)
    {
        const bool click = m_pressed && event->button() == Qt::LeftButton
            && area.contains(event->position().toPoint());
        m_pressed = false;
        event->accept();
        return click;
    }

private:
    bool m_pressed = false;
};

} // namespace kavr::ui
