// Writes a software canvas as an 8-bit RGB PNG file.
#pragma once

#include <string>

#include "raster.h"

namespace zarmok::render {

// The error text, or "" when the file was written.
std::string WritePng(const TRasterCanvas& canvas, const std::string& path);

}  // namespace zarmok::render
