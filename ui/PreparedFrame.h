#pragma once
// Part of a window drawn into its back buffer ahead of time and put on screen later in one
// flush: a change whose paint takes milliseconds still shows at the moment chosen for it.
// Between draw() and show() no event may be handled, or an ordinary repaint could put the
// drawing on screen early.
//
// On a slow machine the drawing itself can take longer than the moments left before the
// deadline. drawAhead() then does the drawing long before, into an image of its own, and
// draw() only copies it into the back buffer.
#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <functional>

namespace kavr::ui {

class PreparedFrame
{
public:
    // Draws `region` (window coordinates) of the top-level `window` as it will look once
    // change() has been made, into an image of its own: change() is made for the drawing and
    // undo() right after, with no event handled between, so nothing of it reaches the screen.
    // The rectangle around the region, in fact.
    void drawAhead(QWidget *window, const QRegion &region, const std::function<void()> &change,
                   const std::function<void()> &undo);
    // Forgets the drawing ahead: what it showed has changed.
    void discard();
    bool hasDrawingAhead() const { return !m_ahead.isNull(); }
    // Touches every page of the drawing ahead and of the part of the back buffer draw() will
    // copy it into, so that draw() finds them in memory however long they lay untouched.
    void warm();

    // Draws `region` (window coordinates) of the top-level `window` into its back buffer: the
    // drawing made ahead for the same rectangle, else the widgets as they stand now; the
    // rectangle around the region, in fact.
    void draw(QWidget *window, const QRegion &region);
    bool isDrawn() const { return !m_region.isEmpty(); }
    // Puts the drawing on screen; nothing when there is none. The widgets' own repaint of the
    // same change comes later and draws the same pixels.
    void show();

private:
    QPointer<QWidget> m_window;
    QRegion m_region;
    QPointer<QWidget> m_aheadWindow;
    QRect m_aheadRect;
    QImage m_ahead;
};

} // namespace kavr::ui
