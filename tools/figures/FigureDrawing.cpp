#include "FigureDrawing.h"

#include "parameters/Figures.h"

#include <QPainterPath>
#include <QTransform>

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace kavr::tools {

namespace {

enum class Kind {
    Rect,
    Oval,
    Polygon,     // corners given as pixel indices
    BoxPolygon,  // corners given as fractions of the box
    HalfOval,    // closed half oval, flat side along the box's bottom edge
    TopArc,      // open arc from the box's lower left to its lower right corner over its top
    HalfRing,    // open side up
    Sector,      // arc at the top, point at the bottom middle
    CutCircle,   // circle less its lower right quarter
    QuarterDisc, // right angle at the lower left
    Cone,        // apex at the top middle, half-oval base at the bottom
};

struct Shape
{
    Kind kind;
    QRectF box; // outer edge of the stroke, continuous coordinates
    std::vector<QPointF> corners;
    bool turned = false; // rotated by 180 degrees inside its box
};

// Inclusive pixel indices of the outermost stroke pixels to the continuous outer edge.
QRectF pixels(double x0, double y0, double x1, double y1)
{
    return QRectF(x0, y0, x1 - x0 + 1, y1 - y0 + 1);
}

Shape rect(double x0, double y0, double x1, double y1) { return {Kind::Rect, pixels(x0, y0, x1, y1), {}}; }
Shape oval(double x0, double y0, double x1, double y1) { return {Kind::Oval, pixels(x0, y0, x1, y1), {}}; }
Shape halfOval(double x0, double y0, double x1, double y1) { return {Kind::HalfOval, pixels(x0, y0, x1, y1), {}}; }
Shape topArc(double x0, double y0, double x1, double y1) { return {Kind::TopArc, pixels(x0, y0, x1, y1), {}}; }

// Corners as pixel indices of the outermost stroke pixels; stretched by one pixel so that the
// extreme indices become the outer edges of their pixels.
Shape polygon(std::initializer_list<QPointF> corners)
{
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
    for (const QPointF &p : corners) {
        x0 = std::min(x0, p.x()); x1 = std::max(x1, p.x());
        y0 = std::min(y0, p.y()); y1 = std::max(y1, p.y());
    }
    Shape shape{Kind::Polygon, pixels(x0, y0, x1, y1), {}};
    for (const QPointF &p : corners)
        shape.corners.emplace_back(x0 + (p.x() - x0) * (x1 - x0 + 1) / (x1 - x0),
                                   y0 + (p.y() - y0) * (y1 - y0 + 1) / (y1 - y0));
    return shape;
}

// Practice figures: a box of w x h pixels with its top-left pixel at (left, top).
Shape inBox(Kind kind, double w, double h, double left, double top, bool turned = false)
{
    return {kind, QRectF(left, top, w, h), {}, turned};
}

Shape boxPolygon(double w, double h, double left, double top, std::initializer_list<QPointF> fractions)
{
    Shape shape{Kind::BoxPolygon, QRectF(left, top, w, h), {}};
    for (const QPointF &f : fractions)
        shape.corners.emplace_back(left + f.x() * w, top + f.y() * h);
    return shape;
}

using Figure = std::vector<Shape>;
using FigureTable = std::array<Figure, kavr::FigureCount>;

const FigureTable &table(FigureSet set)
{
    static const FigureTable setA = {{
        {rect(32, 23, 133, 122)},
        {oval(32, 22, 133, 123)},
        {halfOval(17, 41, 148, 107)},
        {polygon({{32, 22}, {32, 122}, {133, 122}})},
        {polygon({{58, 23}, {132, 23}, {107, 122}, {33, 122}})},
        {polygon({{61, 23}, {104, 23}, {140, 122}, {25, 122}})},
        {oval(23, 39, 142, 106)},
        {polygon({{82.5, 15}, {141, 130}, {24, 130}})},
        {polygon({{82, 37}, {147, 73}, {82, 110}, {16, 74}})},
        {rect(51, 22, 114, 123)},
        {polygon({{82.5, 23}, {110, 122}, {55, 122}})},
        {rect(32, 41, 133, 104)},
    }};
    static const FigureTable setB = {{
        {rect(22, 40, 143, 106), polygon({{82.5, 40}, {143, 106}, {22, 106}})},
        {rect(22, 40, 143, 106), topArc(22, 40, 143, 106)},
        {oval(22, 40, 141, 107), polygon({{22, 74}, {82, 40}, {141, 74}, {82, 107}})},
        {polygon({{82, 37}, {147, 73}, {82, 110}, {16, 74}}), oval(39, 49, 125, 98)},
        {rect(32, 23, 133, 122), oval(32, 23, 133, 122)},
        {rect(32, 23, 133, 122), polygon({{82.5, 23}, {133, 122}, {32, 122}})},
        {oval(33, 24, 131, 121), rect(49, 39, 116, 106)},
        {rect(32, 23, 133, 122), rect(51, 41, 114, 104)},
        {oval(32, 23, 133, 122), oval(52, 42, 113, 103)},
        {polygon({{82.5, 13}, {134, 116}, {31, 116}}), oval(53, 54, 113, 116)},
        {polygon({{61, 23}, {104, 23}, {140, 122}, {25, 122}}), oval(44, 44, 121, 122)},
        {oval(32, 23, 133, 122), polygon({{82.5, 23}, {121, 105}, {44, 105}})},
    }};
    static const FigureTable practice = {{
        {inBox(Kind::CutCircle, 34, 33, 11, 8)},
        {inBox(Kind::HalfRing, 40, 21, 8, 14)},
        {boxPolygon(34, 13, 11, 18, {{1, 0}, {1, 1}, {0, 1}})},
        {inBox(Kind::Sector, 41, 23, 8, 13)},
        {boxPolygon(42, 9, 7, 20, {{0, 1}, {0.5, 0}, {1, 1}})},
        {inBox(Kind::QuarterDisc, 30, 30, 13, 10)},
        {boxPolygon(13, 34, 22, 9, {{0, 0}, {0, 1}, {1, 1}})},
        {inBox(Kind::CutCircle, 34, 33, 11, 8, true)},
        {inBox(Kind::Sector, 41, 23, 8, 13, true)},
        {inBox(Kind::HalfRing, 40, 21, 8, 14, true)},
        {inBox(Kind::Cone, 16, 33, 20, 8)},
        {boxPolygon(10, 37, 23, 6, {{0, 0.5}, {1, 0}, {1, 1}})},
    }};
    switch (set) {
    case FigureSet::A: return setA;
    case FigureSet::B: return setB;
    case FigureSet::Practice: break;
    }
    return practice;
}

double cross(QPointF a, QPointF b) { return a.x() * b.y() - a.y() * b.x(); }

// Moves every side of a convex polygon inwards by d, so that a mitred stroke of width 2d along
// the result has its outer edge on the original corners.
QPolygonF inset(const std::vector<QPointF> &corners, double d)
{
    QPointF centre;
    for (const QPointF &p : corners)
        centre += p;
    centre /= double(corners.size());

    const size_t n = corners.size();
    std::vector<QPointF> origin(n), direction(n);
    for (size_t i = 0; i < n; ++i) {
        const QPointF a = corners[i], b = corners[(i + 1) % n];
        const QPointF e = b - a;
        const double length = std::hypot(e.x(), e.y());
        QPointF normal(-e.y() / length, e.x() / length);
        if (QPointF::dotProduct(normal, centre - a) < 0)
            normal = -normal;
        origin[i] = a + normal * d;
        direction[i] = e;
    }
    QPolygonF result;
    for (size_t i = 0; i < n; ++i) {
        const size_t prev = (i + n - 1) % n;
        const double t = cross(origin[i] - origin[prev], direction[i]) / cross(direction[prev], direction[i]);
        result << origin[prev] + direction[prev] * t;
    }
    return result;
}

QRectF ovalRect(QPointF centre, double rx, double ry)
{
    return QRectF(centre.x() - rx, centre.y() - ry, 2 * rx, 2 * ry);
}

constexpr double Degrees = 180.0 / std::numbers::pi;

// Centre line of one shape for a stroke of width s.
QPainterPath centreLine(const Shape &shape, double s)
{
    const double h = s / 2;
    const QRectF c = shape.box.adjusted(h, h, -h, -h);
    const double cx = c.center().x();
    QPainterPath path;
    switch (shape.kind) {
    case Kind::Rect:
        path.addRect(c);
        break;
    case Kind::Oval:
        path.addEllipse(c);
        break;
    case Kind::Polygon:
    case Kind::BoxPolygon:
        path.addPolygon(inset(shape.corners, h));
        path.closeSubpath();
        break;
    case Kind::HalfOval:
    case Kind::TopArc: {
        const QPointF centre(cx, c.bottom());
        path.moveTo(c.left(), c.bottom());
        path.arcTo(ovalRect(centre, c.width() / 2, c.height()), 180, -180);
        if (shape.kind == Kind::HalfOval)
            path.closeSubpath();
        break;
    }
    case Kind::HalfRing: {
        const QPointF centre(cx, c.top());
        const double rx = c.width() / 2, ry = c.height();
        const double thickness = 0.45 * std::min(rx, ry);
        path.moveTo(c.left(), c.top());
        path.arcTo(ovalRect(centre, rx, ry), 180, 180);
        path.lineTo(cx + rx - thickness, c.top());
        path.arcTo(ovalRect(centre, rx - thickness, ry - thickness), 0, -180);
        path.closeSubpath();
        break;
    }
    case Kind::Sector: {
        // The mitred point pokes out by h / sin(half angle) below the centre line's point.
        double half = std::atan2(c.width() / 2, c.height());
        double apexY = c.bottom();
        for (int i = 0; i < 8; ++i) {
            apexY = shape.box.bottom() - h / std::sin(half);
            const double r = apexY - c.top();
            half = std::asin(std::min(1.0, c.width() / 2 / r));
        }
        const double r = apexY - c.top();
        const QPointF apex(cx, apexY);
        path.moveTo(apex);
        path.lineTo(cx - r * std::sin(half), apexY - r * std::cos(half));
        path.arcTo(ovalRect(apex, r, r), 90 + half * Degrees, -2 * half * Degrees);
        path.closeSubpath();
        break;
    }
    case Kind::CutCircle:
        path.moveTo(c.center());
        path.lineTo(c.right(), c.center().y());
        path.arcTo(c, 0, 270);
        path.closeSubpath();
        break;
    case Kind::QuarterDisc: {
        const QPointF corner = c.bottomLeft();
        path.moveTo(corner);
        path.lineTo(c.right(), corner.y());
        path.arcTo(ovalRect(corner, c.width(), c.height()), 0, 90);
        path.closeSubpath();
        break;
    }
    case Kind::Cone: {
        const double rx = c.width() / 2, ry = 0.35 * rx;
        const double baseY = c.bottom() - ry;
        double apexY = c.top();
        for (int i = 0; i < 8; ++i)
            apexY = shape.box.top() + h / std::sin(std::atan2(rx, baseY - apexY));
        path.moveTo(cx, apexY);
        path.lineTo(cx - rx, baseY);
        path.arcTo(ovalRect(QPointF(cx, baseY), rx, ry), 180, 180);
        path.closeSubpath();
        break;
    }
    }
    if (shape.turned) {
        const QPointF m = shape.box.center();
        path = QTransform::fromTranslate(m.x(), m.y()).rotate(180).translate(-m.x(), -m.y()).map(path);
    }
    return path;
}

} // namespace

QSize FigureDrawing::designSize(FigureSet set)
{
    return set == FigureSet::Practice ? QSize(56, 49) : QSize(166, 146);
}

// Practice lines are heavier than a scaled 2 px: they must stay about a pixel wide, and so
// readable, in the 37 x 33 palette copy.
double FigureDrawing::strokeWidth(FigureSet set)
{
    return set == FigureSet::Practice ? 1.75 : 2.0;
}

void FigureDrawing::draw(QPainter &painter, FigureSet set, int figure)
{
    const double s = strokeWidth(set);
    QPainterPath path;
    for (const Shape &shape : table(set).at(figure - 1))
        path.addPath(centreLine(shape, s));

    QPainterPathStroker stroker;
    stroker.setWidth(s);
    stroker.setCapStyle(Qt::FlatCap);
    stroker.setJoinStyle(Qt::MiterJoin);
    // Acute corners keep their points: the geometry counts the mitred tips.
    stroker.setMiterLimit(8);
    // The antialiasing rasteriser adds up the coverage of overlapping outlines, which would
    // darken the edges where two shapes share a side; the simplified outline covers each
    // point once.
    painter.fillPath(stroker.createStroke(path).simplified(), Qt::black);
}

} // namespace kavr::tools
