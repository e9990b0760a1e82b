// Finds font files by family, weight and slant through fontconfig.
#pragma once

#include <string>

namespace gdifont {

inline constexpr const char* default_family = "DejaVu Sans";

struct Face_Location {
    std::string file;
    int index = 0;
    std::string family; // the family fontconfig chose
};

// The best face for the request; an empty family asks for the default, and a
// family holding '/' is taken as the path of a font file.
// exact is set when the chosen family is the one asked for.
bool find_face(const std::string& family, bool bold, bool italic, Face_Location& found,
               bool& exact);

} // namespace gdifont
