#include "face_finder.h"

#include <fontconfig/fontconfig.h>

#include <strings.h>
#include <unistd.h>

namespace gdifont {
namespace {

// Owns a fontconfig pattern for the length of a look-up.
struct Pattern {
    explicit Pattern(FcPattern* p) : p(p) {}
    ~Pattern() {
        if (p) FcPatternDestroy(p);
    }
    Pattern(const Pattern&) = delete;
    Pattern& operator=(const Pattern&) = delete;
    FcPattern* p;
};

} // namespace

bool find_face(const std::string& family, bool bold, bool italic, Face_Location& found,
               bool& exact) {
    // A name holding a path names the font file itself.
    if (family.find('/') != std::string::npos) {
        exact = ::access(family.c_str(), R_OK) == 0;
        if (exact) {
            found = {family, 0, family};
            return true;
        }
    }
    const std::string wanted = family.empty() ? default_family : family;
    Pattern request(FcPatternCreate());
    if (!request.p) return false;
    FcPatternAddString(request.p, FC_FAMILY, reinterpret_cast<const FcChar8*>(wanted.c_str()));
    FcPatternAddInteger(request.p, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(request.p, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(request.p, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, request.p, FcMatchPattern);
    FcDefaultSubstitute(request.p);
    FcResult result = FcResultNoMatch;
    Pattern match(FcFontMatch(nullptr, request.p, &result));
    if (!match.p) return false;
    FcChar8* file = nullptr;
    FcChar8* chosen = nullptr;
    int index = 0;
    if (FcPatternGetString(match.p, FC_FILE, 0, &file) != FcResultMatch || !file) return false;
    FcPatternGetInteger(match.p, FC_INDEX, 0, &index);
    if (FcPatternGetString(match.p, FC_FAMILY, 0, &chosen) != FcResultMatch || !chosen)
        chosen = reinterpret_cast<FcChar8*>(const_cast<char*>(""));
    found = {reinterpret_cast<const char*>(file), index, reinterpret_cast<const char*>(chosen)};
    exact = strcasecmp(found.family.c_str(), wanted.c_str()) == 0;
    return true;
}

} // namespace gdifont
