#pragma once
// The 72 built-in figure pictures, each a complete baseline JFIF file stored under its picture
// number: six sets of twelve, figure f being picture base + f.
//
//   1-12      exposure, variant A     166 x 146      13-24      answer, variant A     127 x 112
//   101-112   exposure, variant B     166 x 146      113-124    answer, variant B     127 x 112
//   1001-1012 practice example         56 x 49       1013-1024  practice palette       37 x 33
//
// The files are compiled into the program as Qt resources (:/pictures/NNNN.jpg, four digits);
// tools/figures/make_figures draws them. Errors are thrown as kavr::KavrError. The pictures as
// pixels: LoadPicture (JpegDecoder.h).
#include <QByteArray>
#include <QtGlobal>

namespace kavr::assets {

// The sets' bases: figure f of a set is picture base + f (variant B: exposure and answer
// pictures VariantBOffset further on).
inline constexpr int ExposureBase = 0;
inline constexpr int AnswerBase = 12;
inline constexpr int VariantBOffset = 100;
inline constexpr int ExampleBase = 1000;
inline constexpr int PaletteBase = 1012;

// Figure f's pictures: on the test board and in the answer row of variant 0 (A) or 1 (B), on
// the practice board and in the practice palette of both.
constexpr qint32 ExposurePicture(int variantIndex, int figure)
{
    return (variantIndex == 1 ? VariantBOffset : 0) + ExposureBase + figure;
}
constexpr qint32 AnswerPicture(int variantIndex, int figure)
{
    return (variantIndex == 1 ? VariantBOffset : 0) + AnswerBase + figure;
}
constexpr qint32 ExamplePicture(int figure)
{
    return ExampleBase + figure;
}
constexpr qint32 PalettePicture(int figure)
{
    return PaletteBase + figure;
}

// True for 1-24, 101-124 and 1001-1024.
bool IsPictureNumber(qint32 number);

// The stored JPEG bytes, read anew on every call (nothing is cached). Throws "No picture
// number N" for a number outside the catalogue.
QByteArray PictureData(qint32 number);

} // namespace kavr::assets
