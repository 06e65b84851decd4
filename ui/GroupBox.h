#pragma once
// A group box drawn the classic way: an etched frame whose top edge runs through the middle
// of the caption, the caption at the left over the frame. Children are placed relative to the
// box's top-left corner, caption area included.
#include <QWidget>

namespace kavr::ui {

class GroupBox : public QWidget
{
    Q_OBJECT
public:
    explicit GroupBox(QWidget *parent = nullptr);

    void setCaption(const QString &caption) { m_caption = caption; update(); }
    QString caption() const { return m_caption; }
    void setCaptionColor(const QColor &color) { m_captionColor = color; update(); }
    QColor captionColor() const { return m_captionColor; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_caption;
    QColor m_captionColor;
};

} // namespace kavr::ui
