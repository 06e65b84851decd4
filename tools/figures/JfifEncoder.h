#pragma once
// Baseline JFIF encoding of the figure pictures: YCbCr 4:2:0, the standard tables at quality 90,
// standard Huffman tables, a JFIF 1.01 header with the given density in dots per inch and no
// other segment. The output depends on the pixels only, so the pictures regenerate byte-exact.
#include <QByteArray>
#include <QImage>

namespace kavr::tools {

// image: any format, converted to RGB888. libjpeg's own error handler ends the program on a
// failure, which for a generator run by hand is the right outcome.
QByteArray EncodeJfif(const QImage &image, int dotsPerInch);

} // namespace kavr::tools
