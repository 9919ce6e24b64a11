#include "extras/jpeg_picture.h"

#include <csetjmp>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace jpeg_picture {
namespace {

// libjpeg's default error handler calls exit(); this one jumps back to the decoder.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void onError(j_common_ptr cinfo) {
    auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors->message);
    std::longjmp(errors->jump, 1);
}

// Warnings (corrupt data that libjpeg would paper over with grey) are kept: the
// first one is the message when the picture is refused.
extern "C" void onMessage(j_common_ptr cinfo, int level) {
    auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (level < 0) {
        if (cinfo->err->num_warnings == 0)
            (*cinfo->err->format_message)(cinfo, errors->message);
        ++cinfo->err->num_warnings;
    }
}

// Only plain objects live in this frame, so the jump back skips no destructor; the
// result goes into the caller's Picture.
bool decodeInto(const unsigned char* data, unsigned long size, Picture* out, char* message) {
    jpeg_decompress_struct cinfo;
    ErrorManager errors;
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    errors.base.emit_message = onMessage;
    errors.message[0] = '\0';
    if (setjmp(errors.jump)) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.image_width > unsigned(kMaxSide) || cinfo.image_height > unsigned(kMaxSide)) {
        std::snprintf(message, JMSG_LENGTH_MAX, "picture too large (%u x %u)", cinfo.image_width,
                      cinfo.image_height);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    const int rowBytes = int(cinfo.output_width) * 3;
    out->width = int(cinfo.output_width);
    out->height = int(cinfo.output_height);
    out->rgb.resize(qsizetype(rowBytes) * out->height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(out->rgb.data()) +
                       qsizetype(rowBytes) * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    const bool clean = errors.base.num_warnings == 0;
    if (!clean)
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
    jpeg_destroy_decompress(&cinfo);
    return clean;
}

}  // namespace

Picture decode(const QByteArray& jpeg) {
    Picture picture;
    if (jpeg.isEmpty()) {
        picture.error = QStringLiteral("empty file");
        return picture;
    }
    char message[JMSG_LENGTH_MAX] = {};
    if (!decodeInto(reinterpret_cast<const unsigned char*>(jpeg.constData()),
                    static_cast<unsigned long>(jpeg.size()), &picture, message)) {
        picture = Picture();
        picture.error = QString::fromLocal8Bit(message);
        if (picture.error.isEmpty())
            picture.error = QStringLiteral("not a JPEG picture");
    }
    return picture;
}

}  // namespace jpeg_picture
