#include "harness/Operator.h"

#include "harness/ProgramUnderTest.h"
#include "harness/ScreenMap.h"
#include "harness/XInput.h"
#include "harness/XvfbSession.h"
#include "parameters/Figures.h"

#include <QTest>

#include <X11/keysym.h>

namespace kavr::harness {

namespace {

// The maroon of the refusal line, counted in pixels.
bool Maroon(const QColor &c)
{
    return c.red() > 90 && c.green() < 50 && c.blue() < 50;
}

} // namespace

QList<std::pair<int, int>> TextBands(const QImage &line)
{
    QList<std::pair<int, int>> bands;
    for (int y = 0; y < line.height(); ++y) {
        bool maroon = false;
        for (int x = 0; x < line.width() && !maroon; ++x)
            maroon = Maroon(QColor(line.pixel(x, y)));
        if (!maroon)
            continue;
        if (!bands.isEmpty() && bands.last().second >= y - 3)
            bands.last().second = y; // within a line: the gaps of accents and descenders
        else
            bands.append({y, y});
    }
    return bands;
}

Operator::Operator(const XvfbSession &server, XInput &input, ProgramUnderTest &run)
    : m_server(server), m_input(input), m_run(run),
      m_probe([&server](const QRect &area) { return server.grab(area); }, run.origin())
{
}

void Operator::clickNowhere()
{
    m_input.click(m_run.at(screen::Nowhere));
}

void Operator::settle()
{
    for (int i = 0; i < 4; ++i) {
        bool popup = false;
        for (const TopLevel &window : m_run.otherWindows())
            popup = popup || window.popup;
        if (!popup)
            return;
        clickNowhere();
        QTest::qWait(200);
    }
}

std::optional<TopLevel> Operator::aboutBox() const
{
    for (const TopLevel &window : m_run.otherWindows())
        if (window.name == QLatin1String("About"))
            return window;
    return std::nullopt;
}

void Operator::logIn()
{
    settle();
    std::optional<TopLevel> box = aboutBox();
    if (!box) {
        m_run.chooseAbout();
        for (int i = 0; i < 25 && !(box = aboutBox()); ++i)
            QTest::qWait(200);
    }
    if (box)
        m_run.confirmAbout(*box);
    QTest::qWait(400);
}

void Operator::fill(const QRect &field, const QString &text)
{
    m_input.click(m_run.at(field.center()));
    m_input.key(XK_a, XInput::Control); // whatever was there goes
    m_input.key(XK_Delete);
    m_run.type(text);
    QTest::qWait(100);
}

void Operator::fillCode(const QString &text)
{
    fill(screen::CodeField, text);
}

void Operator::fillName(const QString &text)
{
    fill(screen::NameField, text);
}

void Operator::pressEnter()
{
    m_input.key(XK_Return);
    QTest::qWait(500);
}

void Operator::startTest()
{
    settle();
    clickNowhere();
    m_input.key(XK_F1);
    QTest::qWait(600);
}

std::int64_t Operator::pick(int position)
{
    return m_input.click(m_run.at(screen::AnswerImageArea(position).center()));
}

std::int64_t Operator::place(int position, int panel)
{
    pick(position);
    return m_input.click(m_run.at(screen::TaskImageArea(panel).center()));
}

void Operator::placeAll()
{
    for (int i = 1; i <= FigureCount; ++i) {
        place(i, i);
        QTest::qWait(50);
    }
    QTest::qWait(500);
}

QImage Operator::refusalLine() const
{
    return m_run.grab(screen::RefusalLine);
}

qsizetype Operator::noticeLines() const
{
    return TextBands(m_run.grab(screen::RefusalLine.adjusted(0, 0, 0, 200))).size();
}

bool Operator::refusalShown() const
{
    const QImage line = refusalLine();
    int maroon = 0;
    for (int y = 0; y < line.height(); ++y)
        for (int x = 0; x < line.width(); ++x)
            maroon += Maroon(QColor(line.pixel(x, y))) ? 1 : 0;
    return maroon > 30;
}

} // namespace kavr::harness
