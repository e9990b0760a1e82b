#include "settings.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <vector>

namespace render {
namespace {

constexpr int largest_side = 16384;

// Splits text at every separator; a field may be empty.
std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> fields(1);
    for (char c : text) {
        if (c == separator)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

bool read_int(const std::string& text, int& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || v < -largest_side || v > largest_side) return false;
    value = int(v);
    return true;
}

bool read_float(const std::string& text, float& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    const float v = std::strtof(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(v)) return false;
    value = v;
    return true;
}

bool read_vec3(const std::string& text, Vec3& v) {
    const std::vector<std::string> fields = split(text, ',');
    return fields.size() == 3 && read_float(fields[0], v[0]) && read_float(fields[1], v[1]) &&
           read_float(fields[2], v[2]);
}

struct Named_Colour {
    const char* name;
    Rgba colour;
};
constexpr Named_Colour named_colours[] = {
    {"white", {1, 1, 1, 1}},         {"black", {0, 0, 0, 1}},  {"gray", {0.5f, 0.5f, 0.5f, 1}},
    {"grey", {0.5f, 0.5f, 0.5f, 1}}, {"red", {1, 0, 0, 1}},    {"green", {0, 1, 0, 1}},
    {"blue", {0, 0, 1, 1}},          {"yellow", {1, 1, 0, 1}}, {"cyan", {0, 1, 1, 1}},
    {"magenta", {1, 0, 1, 1}},
};

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool parse_hex_colour(const std::string& text, Rgba& colour) {
    if (text.size() != 7) return false;
    for (int channel = 0; channel < 3; ++channel) {
        const int high = hex_digit(text[1 + channel * 2]), low = hex_digit(text[2 + channel * 2]);
        if (high < 0 || low < 0) return false;
        colour[channel] = float(high * 16 + low) / 255.0f;
    }
    colour[3] = 1;
    return true;
}

} // namespace

bool parse_size(const std::string& text, int& width, int& height) {
    const std::vector<std::string> fields = split(text, 'x');
    int w = 0, h = 0;
    if (fields.size() != 2 || !read_int(fields[0], w) || !read_int(fields[1], h)) return false;
    if (w < 1 || h < 1) return false;
    width = w;
    height = h;
    return true;
}

bool parse_pixel(const std::string& text, int& x, int& y) {
    const std::vector<std::string> fields = split(text, ',');
    return fields.size() == 2 && read_int(fields[0], x) && read_int(fields[1], y);
}

bool parse_colour(const std::string& text, Rgba& colour) {
    for (const Named_Colour& named : named_colours)
        if (text == named.name) {
            colour = named.colour;
            return true;
        }
    if (!text.empty() && text[0] == '#') return parse_hex_colour(text, colour);
    Vec3 v;
    if (!read_vec3(text, v)) return false;
    if (std::any_of(v.begin(), v.end(), [](float c) { return c < 0 || c > 1; })) return false;
    colour = {v[0], v[1], v[2], 1};
    return true;
}

bool parse_lighting(const std::string& text, Lighting& lighting) {
    if (text == "flat")
        lighting = Lighting::Flat;
    else if (text == "gouraud")
        lighting = Lighting::Gouraud;
    else if (text == "phong")
        lighting = Lighting::Phong;
    else
        return false;
    return true;
}

bool parse_camera(const std::string& text, Camera_Setting& camera) {
    const std::vector<std::string> parts = split(text, ':');
    if (parts.size() > 3 || !read_vec3(parts[0], camera.position)) return false;
    camera.target = {0, 0, 0};
    if (parts.size() >= 2 && !read_vec3(parts[1], camera.target)) return false;
    if (parts.size() == 3) {
        float degrees = 0;
        if (!read_float(parts[2], degrees) || degrees <= 0 || degrees >= 180) return false;
        camera.field_of_view = degrees * std::numbers::pi_v<float> / 180.0f;
    }
    return camera.position != camera.target;
}

Camera_Setting fit_camera(const Bounds& bounds, float aspect) {
    Camera_Setting camera;
    if (bounds.empty()) {
        camera.position = {0, 0, 5};
        return camera;
    }
    Vec3 centre;
    for (int i = 0; i < 3; ++i)
        centre[i] = (bounds.low[i] + bounds.high[i]) / 2;
    // From the front (+z) and a little above, so tops and fronts both show.
    const Vec3 back = {0.0f, 0.38f, 0.925f}; // from the centre to the eye
    const Vec3 right = {1.0f, 0.0f, 0.0f};
    const Vec3 up = {0.0f, 0.925f, -0.38f}; // back x right
    const float tan_vertical = std::tan(camera.field_of_view / 2);
    const float tan_horizontal = tan_vertical * std::max(aspect, 1e-3f);
    // The nearest eye distance at which every corner of the box lies inside
    // both fields of view.
    float distance = 0.0f;
    for (int corner = 0; corner < 8; ++corner) {
        Vec3 c;
        for (int i = 0; i < 3; ++i)
            c[i] = ((corner >> i) & 1 ? bounds.high[i] : bounds.low[i]) - centre[i];
        auto dot = [&](const Vec3& v) { return c[0] * v[0] + c[1] * v[1] + c[2] * v[2]; };
        distance = std::max({distance, dot(back) + std::fabs(dot(right)) / tan_horizontal,
                             dot(back) + std::fabs(dot(up)) / tan_vertical});
    }
    if (!(distance > 1e-6f)) distance = 1.0f;
    distance *= 1.08f; // a margin round the picture
    camera.target = centre;
    for (int i = 0; i < 3; ++i)
        camera.position[i] = centre[i] + back[i] * distance;
    return camera;
}

} // namespace render
