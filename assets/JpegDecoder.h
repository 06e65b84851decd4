#pragma once
// JPEG decoding through libjpeg(-turbo) itself, no Qt image plug-in in between: full scale,
// 8-bit RGB.
//
// Failures throw kavr::KavrError("JPEG error #N") with N the decoder's message code (for
// example 53 not a JPEG file, 42 empty input). libjpeg only warns about damaged entropy-coded
// data and fills the rest of the image with grey; a figure with a hole in it must not reach
// the subject, so a decode that needed any warning fails as well, with the code of the first
// warning (120 for data that ends inside the scan).
#include <QByteArray>
#include <QImage>
#include <QtGlobal>

namespace kavr::assets {

// The picture as QImage::Format_RGB888 at its full size.
QImage DecodeJpeg(const QByteArray &jpeg);

// DecodeJpeg(PictureData(number)): catalogue picture `number` at full size.
QImage LoadPicture(qint32 number);

} // namespace kavr::assets
