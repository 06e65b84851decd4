#pragma once
// Part of a window drawn into its back buffer ahead of time and put on screen later in one
// flush: a change whose paint takes milliseconds still shows at the moment chosen for it.
// Between draw() and show() no event may be handled, or an ordinary repaint could put the
// drawing on screen early.
#include <QPointer>
#include <QRegion>
#include <QWidget>

namespace kavr::ui {

class PreparedFrame
{
public:
    // Draws `region` (window coordinates) of the top-level `window` as its widgets stand now;
    // the rectangle around it, in fact.
    void draw(QWidget *window, const QRegion &region);
    bool isDrawn() const { return !m_region.isEmpty(); }
    // Puts the drawing on screen; nothing when there is none. The widgets' own repaint of the
    // same change comes later and draws the same pixels.
    void show();

private:
    QPointer<QWidget> m_window;
    QRegion m_region;
};

} // namespace kavr::ui
