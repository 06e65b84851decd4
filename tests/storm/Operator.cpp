#include "Operator.h"

#include "ProgramRun.h"
#include "XInput.h"
#include "../e2e/XvfbSession.h"
#include "testing/BoardGeometry.h"

#include <QTest>

#include <X11/keysym.h>

namespace kavr::test {

namespace {

const QPoint Nowhere{1200, 1000};
const QPoint CodeField{471, 250};
const QPoint NameField{471, 338};
const QRect RefusalLine{272, 452, 401, 40};
const QPoint AnswerBoard{88, 472};

bool IsAscii(const QString &text)
{
    for (const QChar c : text)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u' ' && c != u'-' && c != u'.')
            return false;
    return true;
}

} // namespace

Operator::Operator(const XvfbSession &server, XInput &input, const ProgramRun &run)
    : m_server(server), m_input(input), m_run(run),
      m_probe([&server](const QRect &area) { return server.grab(area); }, run.origin())
{
}

void Operator::clickNowhere()
{
    m_input.click(m_run.origin() + Nowhere);
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

void Operator::logIn()
{
    settle();
    auto about = [this]() -> std::optional<TopLevel> {
        for (const TopLevel &window : m_run.otherWindows())
            if (window.name == QLatin1String("About"))
                return window;
        return std::nullopt;
    };
    if (!about()) {
        const QPoint menuAt = m_run.origin() + QPoint(1100, 900);
        m_input.click(menuAt, 3);
        QTest::qWait(400);
        m_input.click(menuAt + QPoint(30, 12)); // "О программе", the menu's only item
        QTest::qWait(400);
    }
    if (const auto box = about())
        m_input.click(box->geometry.topLeft() + QPoint(148, 208)); // OK
    QTest::qWait(400);
}

void Operator::fill(QPoint field, const QString &text)
{
    m_input.click(m_run.origin() + field);
    m_input.key(XK_a, XInput::Control); // whatever was there goes
    m_input.key(XK_Delete);
    if (IsAscii(text))
        m_input.typeAscii(text);
    else
        m_server.xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text});
    QTest::qWait(100);
}

void Operator::fillCode(const QString &text)
{
    fill(CodeField, text);
}

void Operator::fillName(const QString &text)
{
    fill(NameField, text);
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

void Operator::placeAll()
{
    for (int i = 1; i <= 12; ++i) {
        m_input.click(m_run.origin() + AnswerPanelFamily.geometry(i).translated(AnswerBoard).center());
        m_input.click(m_run.origin() + TaskPanelFamily.geometry(i).center());
        QTest::qWait(50);
    }
    QTest::qWait(500);
}

QImage Operator::refusalLine() const
{
    return m_server.grab(RefusalLine.translated(m_run.origin()));
}

bool Operator::refusalShown() const
{
    const QImage line = refusalLine();
    int maroon = 0;
    for (int y = 0; y < line.height(); ++y)
        for (int x = 0; x < line.width(); ++x) {
            const QColor c(line.pixel(x, y));
            maroon += c.red() > 90 && c.green() < 50 && c.blue() < 50 ? 1 : 0;
        }
    return maroon > 30;
}

} // namespace kavr::test
