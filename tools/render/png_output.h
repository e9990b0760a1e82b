// Writes pictures as PNG files, never leaving a partial file behind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace render {

// An 8-bit RGB picture, rows top to bottom.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// Writes picture to a temporary file beside path and renames it into place.
// On failure nothing is left at path and reason says why.
bool write_png(const Picture& picture, const std::string& path, std::string& reason);

} // namespace render
