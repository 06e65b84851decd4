// What counts as a click on a panel and on a figure image, driven through the window as the
// window system delivers it: the left button pressed and released over the same control,
// drags, other buttons, disabled and hidden controls, and handlers that take themselves off.
#include "ui/FigureImage.h"
#include "ui/Panel.h"

#include <QLineEdit>
#include <QTest>
#include <QWindow>

using namespace kavr::ui;

namespace {

// One mouse action at a place: inside the control, on the free part of the window, or back
// inside after a move out.
enum class Where { Inside, Outside };
struct Step
{
    enum Action { Press, Release, Move, DoubleClick } action;
    Qt::MouseButton button;
    Where where;
};
using Gesture = QList<Step>;

constexpr Step LeftDown{Step::Press, Qt::LeftButton, Where::Inside};
constexpr Step LeftUp{Step::Release, Qt::LeftButton, Where::Inside};

// A window with a clickable panel holding a clickable figure image, and a field with the focus.
struct Board
{
    Board()
    {
        window.resize(400, 300);
        panel = new Panel(&window);
        panel->setGeometry(20, 20, 170, 150);
        panel->setOnClick([this](Panel *) { ++panelClicks; });
        image = new FigureImage(panel);
        image->setGeometry(80, 2, 88, 146);
        image->setOnClick([this](FigureImage *) { ++imageClicks; });
        field = new QLineEdit(&window);
        field->setGeometry(250, 20, 100, 24);
        window.show();
        field->setFocus();
    }

    // The point of the window for where on control.
    QPoint at(QWidget *control, Where where) const
    {
        return where == Where::Inside ? control->mapTo(&window, QPoint(20, 40)) : QPoint(300, 250);
    }

    void play(QWidget *control, const Gesture &gesture)
    {
        QWindow *w = window.windowHandle();
        for (const Step &step : gesture) {
            const QPoint p = at(control, step.where);
            switch (step.action) {
            case Step::Press: QTest::mousePress(w, step.button, {}, p); break;
            case Step::Release: QTest::mouseRelease(w, step.button, {}, p); break;
            case Step::Move: QTest::mouseMove(w, p); break;
            case Step::DoubleClick: QTest::mouseDClick(w, step.button, {}, p); break;
            }
        }
    }

    QWidget window;
    Panel *panel = nullptr;
    FigureImage *image = nullptr;
    QLineEdit *field = nullptr;
    int panelClicks = 0;
    int imageClicks = 0;
};

} // namespace

class ClicksTest : public QObject
{
    Q_OBJECT

private slots:
    void gestures_data();
    void gestures();
    void unusableControlsTakeNoClick_data();
    void unusableControlsTakeNoClick();
    void handlerTakesItselfOff();
};

void ClicksTest::gestures_data()
{
    QTest::addColumn<bool>("onImage"); // else on the panel beside the image
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<int>("clicks");
    const struct { const char *name; Gesture gesture; int clicks; } rows[] = {
        {"left click", {LeftDown, LeftUp}, 1},
        {"right click", {{Step::Press, Qt::RightButton, Where::Inside},
                         {Step::Release, Qt::RightButton, Where::Inside}}, 0},
        {"middle click", {{Step::Press, Qt::MiddleButton, Where::Inside},
                          {Step::Release, Qt::MiddleButton, Where::Inside}}, 0},
        {"dragged off", {LeftDown, {Step::Move, Qt::NoButton, Where::Outside},
                         {Step::Release, Qt::LeftButton, Where::Outside}}, 0},
        {"dragged off and back", {LeftDown, {Step::Move, Qt::NoButton, Where::Outside},
                                  {Step::Move, Qt::NoButton, Where::Inside}, LeftUp}, 1},
        {"pressed elsewhere, released here",
         {{Step::Press, Qt::LeftButton, Where::Outside}, {Step::Move, Qt::NoButton, Where::Inside},
          LeftUp}, 0},
        {"double click", {{Step::DoubleClick, Qt::LeftButton, Where::Inside}}, 2},
    };
    for (const auto &row : rows) {
        QTest::addRow("panel, %s", row.name) << false << row.gesture << row.clicks;
        QTest::addRow("image, %s", row.name) << true << row.gesture << row.clicks;
    }
}

void ClicksTest::gestures()
{
    QFETCH(bool, onImage);
    QFETCH(Gesture, gesture);
    QFETCH(int, clicks);
    Board board;
    QVERIFY(QTest::qWaitForWindowExposed(&board.window));
    board.play(onImage ? static_cast<QWidget *>(board.image) : board.panel, gesture);
    // A click on the image is the image's alone: it never reaches the panel beneath.
    QCOMPARE(board.imageClicks, onImage ? clicks : 0);
    QCOMPARE(board.panelClicks, onImage ? 0 : clicks);
    // Clicking a control leaves the keyboard where it was.
    QCOMPARE(QApplication::focusWidget(), board.field);
}

void ClicksTest::unusableControlsTakeNoClick_data()
{
    QTest::addColumn<bool>("hidden"); // else disabled
    QTest::newRow("disabled image") << false;
    QTest::newRow("hidden image") << true;
}

void ClicksTest::unusableControlsTakeNoClick()
{
    QFETCH(bool, hidden);
    Board board;
    QVERIFY(QTest::qWaitForWindowExposed(&board.window));
    const QPoint onImage = board.at(board.image, Where::Inside);
    if (hidden)
        board.image->hide();
    else
        board.image->setEnabled(false);
    QTest::mouseClick(board.window.windowHandle(), Qt::LeftButton, {}, onImage);
    QCOMPARE(board.imageClicks, 0);
    // The panel beneath takes it, as a click on it.
    QCOMPARE(board.panelClicks, 1);

    board.panel->setEnabled(false);
    QTest::mouseClick(board.window.windowHandle(), Qt::LeftButton, {}, onImage);
    QCOMPARE(board.panelClicks, 1);
}

void ClicksTest::handlerTakesItselfOff()
{
    Board board;
    QVERIFY(QTest::qWaitForWindowExposed(&board.window));
    int calls = 0;
    board.panel->setOnClick([&calls](Panel *panel) {
        ++calls;
        panel->setOnClick(nullptr);
    });
    QVERIFY(board.panel->hasOnClick());
    board.play(board.panel, {LeftDown, LeftUp});
    QCOMPARE(calls, 1);
    QVERIFY(!board.panel->hasOnClick());
    board.play(board.panel, {LeftDown, LeftUp});
    QCOMPARE(calls, 1);
}

QTEST_MAIN(ClicksTest)
#include "test_clicks.moc"
