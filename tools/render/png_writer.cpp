#include "png_writer.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace zarmok::render {

std::string WritePng(const TRasterCanvas& canvas, const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return "cannot write " + path + ": " + std::strerror(errno);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    std::fclose(file);
    return "cannot write " + path + ": out of memory";
  }
  std::vector<png_byte> row(static_cast<size_t>(canvas.Width()) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return "cannot write " + path;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, canvas.Width(), canvas.Height(), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int32_t y = 0; y < canvas.Height(); ++y) {
    const uint32_t* src = canvas.Pixels() + static_cast<size_t>(y) * canvas.Stride();
    for (int32_t x = 0; x < canvas.Width(); ++x) {
      row[3 * x] = static_cast<png_byte>(src[x] >> 16);
      row[3 * x + 1] = static_cast<png_byte>(src[x] >> 8);
      row[3 * x + 2] = static_cast<png_byte>(src[x]);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fclose(file) != 0) return "cannot write " + path + ": " + std::strerror(errno);
  return "";
}

}  // namespace zarmok::render
