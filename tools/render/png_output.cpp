#include "png_output.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace render {
namespace {

// libpng reports errors by longjmp; nothing with a destructor may live
// between setjmp and the calls that can jump.
bool encode(const Picture& picture, std::FILE* file) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(picture.width), png_uint_32(picture.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const std::size_t stride = std::size_t(picture.width) * 3;
    for (int y = 0; y < picture.height; ++y)
        png_write_row(png, picture.rgb.data() + stride * std::size_t(y));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool write_png(const Picture& picture, const std::string& path, std::string& reason) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.rgb.size() != std::size_t(picture.width) * picture.height * 3) {
        reason = "nothing to write";
        return false;
    }
    const std::string temporary = path + ".partial-" + std::to_string(::getpid());
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        reason = std::strerror(errno);
        return false;
    }
    const bool encoded = encode(picture, file);
    const bool closed = std::fclose(file) == 0;
    if (!encoded || !closed) {
        std::remove(temporary.c_str());
        reason = "could not write the picture";
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        reason = std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace render
