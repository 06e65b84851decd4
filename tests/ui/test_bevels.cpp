// The frames panels and group boxes draw, pixel by pixel where the rings meet: which colour each
// one-pixel bevel takes on which side and at its corners, the border between the bevels, the
// face inside, and the etched frame of a group box under its caption.
#include "ui/GroupBox.h"
#include "ui/LookAndFeel.h"
#include "ui/Panel.h"
#include "ui/SystemColors.h"

#include <QFontMetrics>
#include <QImage>
#include <QTest>

using namespace kavr::ui;
using Bevel = Panel::Bevel;

namespace {

QImage Rendered(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta); // shows through wherever the widget leaves a pixel unpainted
    widget.render(&image);
    return image;
}

// Checks one ring, inset pixels in from the edge: the top and left in one colour, the bottom
// and right, with the top-right and bottom-left corners, in the other.
void CompareRing(const QImage &image, int inset, const QColor &topLeft, const QColor &bottomRight)
{
    const int l = inset, t = inset, r = image.width() - 1 - inset, b = image.height() - 1 - inset;
    const int mx = image.width() / 2, my = image.height() / 2;
    const struct { QPoint at; QColor colour; } expected[] = {
        {{l, t}, topLeft},      {{mx, t}, topLeft},      {{r - 1, t}, topLeft},
        {{l, my}, topLeft},     {{l, b - 1}, topLeft},   {{r, t}, bottomRight},
        {{r, my}, bottomRight}, {{r, b}, bottomRight},   {{mx, b}, bottomRight},
        {{l, b}, bottomRight},
    };
    for (const auto &e : expected)
        QVERIFY2(image.pixelColor(e.at) == e.colour,
                 qPrintable(QStringLiteral("inset %1 at (%2, %3): %4, expected %5")
                                .arg(inset).arg(e.at.x()).arg(e.at.y())
                                .arg(image.pixelColor(e.at).name(), e.colour.name())));
}

} // namespace

class BevelsTest : public QObject
{
    Q_OBJECT

private slots:
    void panelRings_data();
    void panelRings();
    void groupBoxFrame_data();
    void groupBoxFrame();
};

void BevelsTest::panelRings_data()
{
    QTest::addColumn<Bevel>("outer");
    QTest::addColumn<Bevel>("inner");
    QTest::addColumn<int>("border");
    QTest::addColumn<QColor>("face");
    const struct { const char *name; Bevel bevel; } bevels[] = {
        {"none", Bevel::None}, {"lowered", Bevel::Lowered}, {"raised", Bevel::Raised}};
    for (const auto &outer : bevels)
        for (const auto &inner : bevels)
            for (int border : {0, 1, 2})
                for (const QColor &face : {ButtonFace, HighlightRed})
                    QTest::addRow("%s/%s, border %d, %s", outer.name, inner.name, border,
                                  qPrintable(face.name()))
                        << outer.bevel << inner.bevel << border << face;
}

void BevelsTest::panelRings()
{
    QFETCH(Bevel, outer);
    QFETCH(Bevel, inner);
    QFETCH(int, border);
    QFETCH(QColor, face);
    Panel panel;
    panel.resize(60, 53); // the example panels
    panel.setBevels(outer, inner);
    panel.setBorderWidth(border);
    panel.setColor(face);
    const QImage image = Rendered(panel);

    // Raised is lit from the top left; lowered the other way round; no bevel is the face.
    const auto ring = [&](int inset, Bevel bevel) {
        if (bevel == Bevel::None)
            return CompareRing(image, inset, face, face);
        const bool raised = bevel == Bevel::Raised;
        CompareRing(image, inset, raised ? ButtonHighlight : ButtonShadow,
                    raised ? ButtonShadow : ButtonHighlight);
    };
    int inset = 0;
    if (outer != Bevel::None)
        ring(inset++, outer);
    for (int i = 0; i < border; ++i)
        ring(inset++, Bevel::None);
    if (inner != Bevel::None)
        ring(inset++, inner);
    QCOMPARE(panel.clientRect(), QRect(0, 0, 60, 53).adjusted(inset, inset, -inset, -inset));
    ring(inset, Bevel::None); // the face's outermost pixels
    QCOMPARE(image.pixelColor(30, 26), face);
}

void BevelsTest::groupBoxFrame_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("pixels");
    QTest::newRow("no caption") << QString() << 16;
    QTest::newRow("caption, 16 px") << QStringLiteral(" Фигуры ") << 16;
    QTest::newRow("caption, 19 px") << QStringLiteral(" Инструкция ") << 19;
}

void BevelsTest::groupBoxFrame()
{
    QFETCH(QString, caption);
    QFETCH(int, pixels);
    GroupBox box;
    box.resize(337, 107);
    box.setFont(PixelFont(QStringLiteral("Arial"), pixels, true));
    box.setCaption(caption);
    const QImage image = Rendered(box);
    const int top = QFontMetrics(box.font()).height() / 2;
    const int w = box.width(), h = box.height();
    const int right = 8 + QFontMetrics(box.font()).horizontalAdvance(caption) + 4; // past the caption

    // Etched: a dark rectangle and a light one a pixel to the lower right; where only one
    // rectangle passes, that one shows; the two outer corners they miss stay the face.
    const struct { QPoint at; QColor colour; } expected[] = {
        {{0, top}, ButtonShadow},           {{right, top}, ButtonShadow},
        {{w - 2, top}, ButtonShadow},       {{w - 1, top}, ButtonFace},
        {{right, top + 1}, ButtonHighlight}, {{w - 2, top + 1}, ButtonShadow},
        {{w - 1, top + 1}, ButtonHighlight}, {{0, h / 2}, ButtonShadow},
        {{1, h / 2}, ButtonHighlight},       {{w - 2, h / 2}, ButtonShadow},
        {{w - 1, h / 2}, ButtonHighlight},   {{0, h - 2}, ButtonShadow},
        {{1, h - 2}, ButtonShadow},          {{w / 2, h - 2}, ButtonShadow},
        {{0, h - 1}, ButtonFace},            {{1, h - 1}, ButtonHighlight},
        {{w - 1, h - 1}, ButtonHighlight},   {{w / 2, h / 2}, ButtonFace},
        {{w / 2, top - 1}, ButtonFace},      {{2, top + 2}, ButtonFace},
    };
    for (const auto &e : expected)
        QVERIFY2(image.pixelColor(e.at) == e.colour,
                 qPrintable(QStringLiteral("(%1, %2): %3, expected %4")
                                .arg(e.at.x()).arg(e.at.y())
                                .arg(image.pixelColor(e.at).name(), e.colour.name())));
    // The caption, on the face, interrupts the top edge.
    if (caption.isEmpty())
        QCOMPARE(image.pixelColor(9, top), ButtonShadow);
    else
        QCOMPARE(image.pixelColor(9, top), ButtonFace);
}

QTEST_MAIN(BevelsTest)
#include "test_bevels.moc"
