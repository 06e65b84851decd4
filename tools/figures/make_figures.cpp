// Writes the 72 figure pictures as NNNN.jpg (picture number, four digits) into the folder
// given on the command line: make_figures <output folder>
#include "FigureDrawing.h"
#include "JfifEncoder.h"
#include "parameters/Figures.h"
#include "parameters/TestVariant.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSaveFile>

#include <cstdio>

using kavr::tools::FigureDrawing;
using kavr::tools::FigureSet;

namespace {

// The six sets of the catalogue: figure f is picture base + f; the variants' bases are their
// rows'.
struct PictureSet
{
    int base;
    FigureSet figures;
    QSize size;
    int dotsPerInch; // every size declares a width of about 2.07 inches
};

constexpr const kavr::TestVariant &A = kavr::TestVariants[0];
constexpr const kavr::TestVariant &B = kavr::TestVariants[1];

const PictureSet Sets[] = {
    {A.exposurePictures, FigureSet::A, {166, 146}, 80}, // exposure, variant A
    {A.answerPictures, FigureSet::A, {127, 112}, 61},   // answer, variant A
    {B.exposurePictures, FigureSet::B, {166, 146}, 80}, // exposure, variant B
    {B.answerPictures, FigureSet::B, {127, 112}, 61},   // answer, variant B
    {1000, FigureSet::Practice, {56, 49}, 27}, // practice example
    {1012, FigureSet::Practice, {37, 33}, 18}, // practice palette
};

const QColor FrameColour(64, 64, 64);
constexpr int FrameWidth = 2;

QImage render(const PictureSet &set, int figure)
{
    QImage image(set.size, QImage::Format_RGB888);
    image.fill(FrameColour);
    QPainter painter(&image);
    painter.fillRect(QRect(QPoint(FrameWidth, FrameWidth), set.size - QSize(2 * FrameWidth, 2 * FrameWidth)),
                     Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    // Smaller sizes are the same drawing, scaled; the frame stays two pixels wide.
    const QSize design = FigureDrawing::designSize(set.figures);
    painter.scale(double(set.size.width()) / design.width(), double(set.size.height()) / design.height());
    FigureDrawing::draw(painter, set.figures, figure);
    painter.end();
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: make_figures <output folder>\n");
        return 2;
    }
    const QDir folder(args.at(1));
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder.path()));
        return 1;
    }
    for (const PictureSet &set : Sets) {
        for (int f = 1; f <= kavr::FigureCount; ++f) {
            const int number = set.base + f;
            const QString name = folder.filePath(QStringLiteral("%1.jpg").arg(number, 4, 10, QLatin1Char('0')));
            QSaveFile file(name);
            if (!file.open(QIODevice::WriteOnly)
                || file.write(kavr::tools::EncodeJfif(render(set, f), set.dotsPerInch)) < 0
                || !file.commit()) {
                std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(name), qPrintable(file.errorString()));
                return 1;
            }
        }
    }
    return 0;
}
