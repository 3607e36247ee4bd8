#include "app/jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace app {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr info) {
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

} // namespace

QImage loadJpeg(const std::filesystem::path& file, std::string* error) {
    std::FILE* f = std::fopen(file.string().c_str(), "rb");
    if (!f) {
        if (error) {
            *error = "A fájl nem található: " + file.string();
        }
        return {};
    }
    jpeg_decompress_struct info{};
    ErrorManager err{};
    info.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    QImage image;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        std::fclose(f);
        if (error) {
            *error = std::string("Hibás kép: ") + err.message;
        }
        return {};
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, f);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                   QImage::Format_RGB888);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(f);
    return image;
}

} // namespace app
