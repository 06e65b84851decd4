#pragma once
// Tells the stage of the test from what the main window shows, read off the screen: which
// layer is in front and what it holds. The probed areas lie clear of the about box and of
// the message box, which both open in the middle of the screen.
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>

namespace kavr::harness {

enum class Stage { LogIn, SubjectEntry, Instruction, Exposure, Answer, Finished };

QString StageName(Stage stage);

class StageProbe final
{
public:
    // grab returns the screen area given, in screen coordinates.
    StageProbe(std::function<QImage(const QRect &)> grab, QPoint windowOrigin);

    Stage stage() const;

private:
    QImage area(const QRect &clientArea) const;

    std::function<QImage(const QRect &)> m_grab;
    QPoint m_origin;
};

} // namespace kavr::harness
