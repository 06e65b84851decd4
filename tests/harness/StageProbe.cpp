#include "harness/StageProbe.h"

#include "harness/ScreenMap.h"

namespace kavr::harness {

namespace {

// The first task panel with its bevels, and the inside of its figure.
const QRect TaskPanel1 = screen::TaskPanelArea(1);
const QRect TaskImage1Inside = screen::TaskImageArea(1).adjusted(8, 9, -8, -12);

template <typename Predicate>
double Fraction(const QImage &image, Predicate predicate)
{
    if (image.isNull())
        return 0.0;
    qint64 count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += predicate(QColor(image.pixel(x, y))) ? 1 : 0;
    return double(count) / double(image.width() * image.height());
}

bool White(const QColor &c) { return c.red() > 250 && c.green() > 250 && c.blue() > 250; }
bool Background(const QColor &c) { return c.red() == 240 && c.green() == 240 && c.blue() == 240; }
bool Maroon(const QColor &c) { return c.red() > 90 && c.green() < 50 && c.blue() < 50; }

} // namespace

QString StageName(Stage stage)
{
    switch (stage) {
    case Stage::LogIn: return QStringLiteral("log-in");
    case Stage::SubjectEntry: return QStringLiteral("subject entry");
    case Stage::Instruction: return QStringLiteral("instruction");
    case Stage::Exposure: return QStringLiteral("exposure");
    case Stage::Answer: return QStringLiteral("answer phase");
    case Stage::Finished: return QStringLiteral("finished");
    }
    return {};
}

StageProbe::StageProbe(std::function<QImage(const QRect &)> grab, QPoint windowOrigin)
    : m_grab(std::move(grab)), m_origin(windowOrigin)
{
}

QImage StageProbe::area(const QRect &clientArea) const
{
    return m_grab(clientArea.translated(m_origin));
}

Stage StageProbe::stage() const
{
    // Captions and buttons, which no selection in a text box can recolour.
    if (Fraction(area(screen::InstructionCaption), Maroon) > 0.01)
        return Fraction(area(screen::StartButton), Maroon) > 0.01 ? Stage::Instruction : Stage::Finished;
    if (Fraction(area(TaskPanel1), [](const QColor &c) { return !Background(c); }) > 0.03)
        return Fraction(area(TaskImage1Inside), White) > 0.5 ? Stage::Exposure : Stage::Answer;
    if (Fraction(area(screen::CodeCaption), Maroon) > 0.01)
        return Stage::SubjectEntry;
    return Stage::LogIn;
}

} // namespace kavr::harness
