#pragma once
// The 72 built-in figure pictures, each a complete baseline JFIF file stored under its picture
// number: six sets of twelve, figure f being picture base + f. The variants' sets lie where
// their rows put them (parameters/TestVariant.h); the practice sets serve every variant.
//
//   1-12      exposure, variant A     166 x 146      13-24      answer, variant A     127 x 112
//   101-112   exposure, variant B     166 x 146      113-124    answer, variant B     127 x 112
//   1001-1012 practice example         56 x 49       1013-1024  practice palette       37 x 33
//
// The files are compiled into the program as Qt resources (:/pictures/NNNN.jpg, four digits),
// every file of assets/pictures; tools/figures/make_figures draws them. Errors are thrown as
// kavr::KavrError. The pictures as pixels: LoadPicture (JpegDecoder.h).
#include "parameters/TestVariant.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

namespace kavr::assets {

// The practice sets' bases: figure f of a set is picture base + f.
inline constexpr int ExampleBase = 1000;
inline constexpr int PaletteBase = 1012;

// Figure f's pictures: on the test board and in the answer row of the variant
// TestVariants[variantIndex] (0 to VariantCount - 1), on the practice board and in the
// practice palette of all.
constexpr qint32 ExposurePicture(int variantIndex, int figure)
{
    return TestVariants.at(variantIndex).exposurePictures + figure;
}
constexpr qint32 AnswerPicture(int variantIndex, int figure)
{
    return TestVariants.at(variantIndex).answerPictures + figure;
}
constexpr qint32 ExamplePicture(int figure)
{
    return ExampleBase + figure;
}
constexpr qint32 PalettePicture(int figure)
{
    return PaletteBase + figure;
}

// Every picture number of the catalogue, ascending, each once.
QList<qint32> PictureNumbers();

// True for the numbers of PictureNumbers().
bool IsPictureNumber(qint32 number);

// Whether number is a picture of a variant's answer row.
bool IsAnswerPicture(qint32 number);

// The stored JPEG bytes, read anew on every call (nothing is cached). Throws "No picture
// number N" for a number outside the catalogue.
QByteArray PictureData(qint32 number);

} // namespace kavr::assets
