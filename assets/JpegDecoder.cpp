#include "JpegDecoder.h"

#include "PictureCatalogue.h"
#include "error/KavrError.h"

#include <csetjmp>
#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>

namespace kavr::assets {

namespace {

// libjpeg is C: its error exit must not unwind through it with a C++ exception, so it jumps
// back to decode() instead.
struct ErrorManager
{
    jpeg_error_mgr base;
    std::jmp_buf escape;
    int firstWarning;
};

void errorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(cinfo->err)->escape, 1);
}

// Replaces libjpeg's printing: warnings (level -1) are counted, trace messages dropped.
void emitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;
    auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
    if (err->base.num_warnings++ == 0)
        err->firstWarning = err->base.msg_code;
}

struct Outcome
{
    int errorCode = 0;   // 0: decoded
    int warningCode = 0; // first warning, 0: none
};

// Everything between setjmp and a possible longjmp is plain C data: the jump skips no
// destructor. `image` lives in the caller.
Outcome decode(const QByteArray &jpeg, QImage &image)
{
    jpeg_decompress_struct cinfo = {};
    ErrorManager err = {};
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = errorExit;
    err.base.emit_message = emitMessage;

    if (setjmp(err.escape)) {
        const int code = err.base.msg_code;
        jpeg_destroy_decompress(&cinfo);
        return {code, err.firstWarning};
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(jpeg.constData()),
                 static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    cinfo.scale_num = 1;
    cinfo.scale_denom = 1;
    jpeg_start_decompress(&cinfo);

    image = QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB888);
    if (image.isNull())
        ERREXIT1(&cinfo, JERR_OUT_OF_MEMORY, 0);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = image.scanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return {0, err.firstWarning};
}

} // namespace

QImage DecodeJpeg(const QByteArray &jpeg)
{
    QImage image;
    const Outcome outcome = decode(jpeg, image);
    const int code = outcome.errorCode ? outcome.errorCode : outcome.warningCode;
    if (code != 0)
        throw KavrError(QStringLiteral("JPEG error #%1").arg(code));
    return image;
}

QImage LoadPicture(qint32 number)
{
    return DecodeJpeg(PictureData(number));
}

} // namespace kavr::assets
