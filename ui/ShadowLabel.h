#pragma once
// A label that draws its text twice: first in the button-highlight colour one pixel to the
// lower right, then in its own colour at its place, which gives a light edge.
#include <QLabel>

namespace kavr::ui {

class ShadowLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ShadowLabel(const QString &text, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace kavr::ui
