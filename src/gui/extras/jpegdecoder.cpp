#include "extras/jpegdecoder.h"

#include <csetjmp>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace velmarsk {
namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void errorExit(j_common_ptr info) {
    auto* e = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, e->message);
    std::longjmp(e->jump, 1);
}

void quiet(j_common_ptr, int) {}

}  // namespace

QImage decodeJpeg(const QByteArray& data, QString* error) {
    jpeg_decompress_struct info{};
    ErrorManager err{};
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = errorExit;
    err.base.emit_message = quiet;
    // Only plain data lives across the jump: the image is made after the last possible jump.
    QImage* volatile image = nullptr;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        delete image;
        if (error) *error = QString::fromLocal8Bit(err.message);
        return {};
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    image = new QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB888);
    if (image->isNull()) {
        jpeg_destroy_decompress(&info);
        delete image;
        if (error) *error = QStringLiteral("Das Bild ist zu groß.");
        return {};
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image->scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    QImage result = *image;
    delete image;
    return result;
}

}  // namespace velmarsk
