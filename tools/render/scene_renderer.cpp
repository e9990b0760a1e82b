#include "scene_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "appearance/light.h"
#include "appearance/light_set.h"
#include "appearance/material.h"
#include "appearance/material_textured.h"
#include "appearance/procedural_texture.h"
#include "geometry/complex_segment_set.h"
#include "geometry/point_set.h"
#include "geometry/text.h"
#include "image/image_data.h"
#include "math/camera.h"
#include "math/matrix.h"
#include "renderer/dynamic_load.h"
#include "renderer/module_contract.h"
#include "renderer/render_stack.h"
#include "rendition/rendition.h"
#include "select/selector.h"

namespace render {
namespace {

// One distant light from the upper right front, as most viewers expect.
constexpr KT_Vector light_direction = {0.3f, 0.5f, 1.0f};
// Scene files are right-handed; the library's device space is left-handed
// unless the rendition mirrors x.
constexpr KT_Handedness right_handed = 1;
// The line pattern the default scene dashes its paths with.
constexpr int dashed_pattern = 2;

std::uint8_t byte_of(float v) {
    return std::uint8_t(std::clamp(v, 0.0f, 1.0f) * 255.99f);
}

KT_RGB32 rgb32(const Rgba& c) {
    return {byte_of(c[2]), byte_of(c[1]), byte_of(c[0]), byte_of(c[3])};
}

KT_Matrix matrix_of(const Mat4& m) {
    float rows[4][4];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            rows[r][c] = m[r * 4 + c];
    KT_Matrix_Single single;
    single.set_as_4x4(rows);
    return single;
}

KT_Material material_of(const Material& from, bool vertex_colours) {
    // A material without shininess has no highlight (files write 0 there).
    const bool shiny = from.shininess > 0.0f;
    const KT_RGB specular = shiny ? KT_RGB{from.specular[0], from.specular[1], from.specular[2]}
                                  : KT_RGB{0.0f, 0.0f, 0.0f};
    const float shininess = std::max(from.shininess, 1.0f);
    if (from.procedural != Procedural::None) {
        KT_Texture texture = from.procedural == Procedural::Marble
                                 ? KT_Texture(KT_Procedural_Marble_Texture())
                                 : KT_Texture(KT_Procedural_Wood_Texture());
        KT_Basic_Textured_Material m(texture);
        m.set_diffuse_color({from.diffuse[0], from.diffuse[1], from.diffuse[2]});
        m.set_specular_color(specular);
        m.set_shininess(shininess);
        return m;
    }
    // Vertex colours are the base colour a basic material lights.
    if (vertex_colours) {
        KT_Basic_Material m;
        m.set_specular_color(specular);
        m.set_shininess(shininess);
        return m;
    }
    KT_Complex_Material m;
    m.set_diffuse_color({from.diffuse[0], from.diffuse[1], from.diffuse[2]});
    m.set_ambient_color({from.diffuse[0] * 0.2f, from.diffuse[1] * 0.2f, from.diffuse[2] * 0.2f});
    m.set_specular_color(specular);
    m.set_shininess(shininess);
    m.set_opacity(from.diffuse[3]);
    return m;
}

// The scene's position, normal and index arrays have the layout of the
// library's points, vectors and indices, so shells reference them instead of
// holding a second copy of a large mesh.
static_assert(sizeof(Vec3) == sizeof(KT_Point) && sizeof(Vec3) == sizeof(KT_Vector));
static_assert(sizeof(std::uint32_t) == sizeof(int));

// A mesh as a shell: every triangle a face of three vertices. Positions,
// normals and indices stay the scene's (which outlives the shell); lengths
// holds the face lengths and must outlive it too.
KT_Shell shell_of(const Mesh& mesh, const std::vector<KT_Material>& materials,
                  std::vector<int>& lengths) {
    KT_Shell shell(int(mesh.positions.size()),
                   reinterpret_cast<const KT_Point*>(mesh.positions.data()), false);
    KT_Complex_Segment_Set_Data* d = shell.edit_data();
    const int faces = int(mesh.indices.size() / 3);
    lengths.assign(std::size_t(faces), 3);
    d->set_indices(faces, lengths.data(), reinterpret_cast<const int*>(mesh.indices.data()), false);
    if (mesh.normals.size() == mesh.positions.size())
        d->set_vertex_normals(reinterpret_cast<const KT_Vector*>(mesh.normals.data()), false);
    if (mesh.colors.size() == mesh.positions.size()) {
        std::vector<KT_RGBA> colours;
        for (const Rgba& c : mesh.colors)
            colours.push_back({c[0], c[1], c[2], c[3]});
        d->set_vertex_colors(colours.data(), true);
    }
    if (mesh.uvs.size() == mesh.positions.size()) {
        std::vector<KT_Parameter> parameters;
        for (const auto& uv : mesh.uvs)
            parameters.push_back({uv[0], uv[1], 0.0f});
        d->set_vertex_parameters(parameters.data(), 1, true);
    }
    if (!mesh.face_materials.empty() && int(mesh.face_materials.size()) == faces) {
        d->set_materials(int(materials.size()), materials.data(), true);
        d->set_material_indices(mesh.face_materials.data(), true);
    }
    return shell;
}

KT_Camera camera_of(const Camera_Setting& setting, float aspect) {
    KT_Camera camera;
    camera.allocate(KT_Precision::Single);
    const Vec3& p = setting.position;
    const Vec3& t = setting.target;
    camera.set_position({p[0], p[1], p[2]}, {t[0], t[1], t[2]});
    const double distance =
        std::sqrt((p[0] - t[0]) * (p[0] - t[0]) + (p[1] - t[1]) * (p[1] - t[1]) +
                  (p[2] - t[2]) * (p[2] - t[2]));
    const double height = 2 * distance * std::tan(setting.field_of_view / 2);
    camera.set_field({height * aspect, height});
    return camera;
}

struct Drawn_Shell {
    std::vector<int> face_lengths; // referenced by the shell
    KT_Shell shell;
    KT_Matrix modelling;
    std::vector<KT_Material> materials;
    KT_Material material;
};

} // namespace

struct Scene_Renderer::State {
    const Scene* scene = nullptr;
    Settings settings;
    szb_render_stack stack;
    KT_Rendition rendition;
    KT_Camera camera;
    KT_Light_Set lights;
    std::vector<Drawn_Shell> shells;
    std::vector<KT_Polyline> polylines;
    std::vector<KT_Polymarker> markers;
    std::vector<KT_Text> labels;

    // Everything the scene holds, drawn through renderer's table with the
    // rendition's camera and viewport; selector (may be null) gets a key
    // path for each primitive.
    void draw_all(const KT_Renderer_Data* renderer, KT_Rendition& base, KT_Selector_Data* selector);
};

Scene_Renderer::Scene_Renderer() : state(std::make_unique<State>()) {}
Scene_Renderer::~Scene_Renderer() = default;

bool Scene_Renderer::build(const Scene& scene, const Settings& settings, std::string& reason) {
    State& s = *state;
    s.scene = &scene;
    s.settings = settings;
    KT_Int_XY origin = {0, 0}, size = {settings.width, settings.height};
    if (!s.stack.configure(origin, size)) {
        reason = "the renderer modules (null12.kdi, szb12.kdi, gdifont12.kdi) could not be "
                 "loaded or the picture could not be allocated";
        return false;
    }
    const float aspect = float(settings.width) / float(settings.height);
    s.camera =
        camera_of(settings.camera ? *settings.camera : fit_camera(scene.bounds(), aspect), aspect);
    s.lights = KT_Light_Set(KT_Distant_Light(light_direction));
    s.rendition = KT_Rendition(s.stack.renderer());
    s.rendition.set_camera(s.camera, false);
    s.rendition.set_handedness(right_handed, false);
    s.rendition.set_background_color(rgb32(settings.background), false);
    KT_Color_Data& colour = s.rendition.modify_color();
    colour.light_set = s.lights;
    s.rendition.modify_misc().lighting_interpolation =
        settings.lighting == Lighting::Flat    ? KT_Lighting_Flat
        : settings.lighting == Lighting::Phong ? KT_Lighting_Phong
                                               : 0;
    if (!s.stack.font_engine().empty())
        s.rendition.modify_text_attribute().font = s.stack.font_engine()->default_font();

    for (const Instance& instance : scene.instances) {
        const Mesh& mesh = scene.meshes[std::size_t(instance.mesh)];
        const bool coloured = mesh.colors.size() == mesh.positions.size();
        std::vector<KT_Material> materials;
        for (const Material& m : scene.materials)
            materials.push_back(material_of(m, coloured));
        const KT_Material own =
            materials.empty() ? KT_Material() : materials[std::size_t(mesh.material)];
        Drawn_Shell drawn;
        drawn.shell = shell_of(mesh, materials, drawn.face_lengths);
        drawn.modelling = matrix_of(instance.transform);
        drawn.materials = materials;
        drawn.material = own;
        s.shells.push_back(std::move(drawn));
    }
    for (const Polyline& line : scene.polylines) {
        std::vector<KT_Point> points;
        for (const Vec3& p : line.points)
            points.push_back({p[0], p[1], p[2]});
        s.polylines.emplace_back(int(points.size()), points.data(), true);
    }
    for (const Markers& set : scene.markers) {
        std::vector<KT_Point> points;
        for (const Vec3& p : set.points)
            points.push_back({p[0], p[1], p[2]});
        s.markers.emplace_back(int(points.size()), points.data(), true);
    }
    for (const Label& label : scene.labels) {
        const KT_Point at = {label.position[0], label.position[1], label.position[2]};
        s.labels.emplace_back(&at, label.text.c_str(), int(label.text.size()), true);
    }
    return true;
}

void Scene_Renderer::State::draw_all(const KT_Renderer_Data* renderer, KT_Rendition& base,
                                     KT_Selector_Data* selector) {
    int primitive = 0;
    auto key = [&](int level, const void* k) {
        if (selector) selector->set_selection_key(k, level);
    };
    for (std::size_t i = 0; i < shells.size(); ++i, ++primitive) {
        KT_Rendition r = base;
        r.set_modelling_matrix(shells[i].modelling, false);
        r.modify_color().front_material = shells[i].material;
        key(0, &scene->instances[i]);
        KD_Action_Draw_3D_Shell(renderer, &r, &shells[i].shell);
    }
    KT_Matrix identity;
    for (std::size_t i = 0; i < polylines.size(); ++i, ++primitive) {
        const Polyline& line = scene->polylines[i];
        KT_Rendition r = base;
        r.set_color(rgb32(line.color), false);
        KT_Line_Data& style = r.modify_line();
        style.line_weight = std::max(1, int(std::lround(line.weight)));
        style.line_pattern = line.style == Line_Style::Dashed ? dashed_pattern : KT_Line_Solid;
        key(0, &scene->polylines[i]);
        KD_Action_Draw_3D_Polyline(renderer, &r, &polylines[i]);
    }
    for (std::size_t i = 0; i < markers.size(); ++i, ++primitive) {
        const Markers& set = scene->markers[i];
        KT_Rendition r = base;
        r.set_color(rgb32(set.color), false);
        KT_Marker_Data& marker = r.modify_marker();
        marker.marker_symbol = set.symbol;
        marker.marker_size = std::max(1, int(std::lround(set.size)));
        key(0, &scene->markers[i]);
        KD_Action_Draw_3D_Polymarker(renderer, &r, &markers[i]);
    }
    for (std::size_t i = 0; i < labels.size(); ++i, ++primitive) {
        const Label& label = scene->labels[i];
        KT_Rendition r = base;
        r.set_color(rgb32(label.color), false);
        // Labels are sized in pixels, relative to the picture's height.
        r.modify_text_attribute().text_size = std::max(8.0f, float(settings.height) / 30.0f);
        key(0, &scene->labels[i]);
        KD_Action_Draw_3D_Text(renderer, &r, &labels[i]);
    }
}

bool Scene_Renderer::render(Picture& picture, std::string& reason) {
    State& s = *state;
    const KT_Renderer_Data* top = s.stack.renderer().body();
    KT_Image_Data* image = s.stack.image_data();
    if (!top || !image || image->is_empty()) {
        reason = "the render stack has no picture";
        return false;
    }
    KD_Action_Clear_Drawing_Buffer(top, &s.rendition);
    KD_Action_Clear_Z_Buffer(top, &s.rendition);
    s.draw_all(top, s.rendition, nullptr);

    picture.width = s.settings.width;
    picture.height = s.settings.height;
    picture.rgb.resize(std::size_t(picture.width) * picture.height * 3);
    for (int y = 0; y < picture.height; ++y) {
        // The image's first row is the top of the window.
        const auto* row = reinterpret_cast<const KT_RGB32*>(image->rows()[y]);
        std::uint8_t* out = picture.rgb.data() + std::size_t(y) * picture.width * 3;
        for (int x = 0; x < picture.width; ++x) {
            out[3 * x + 0] = row[x].r;
            out[3 * x + 1] = row[x].g;
            out[3 * x + 2] = row[x].b;
        }
    }
    return true;
}

bool Scene_Renderer::pick(int x, int y, std::vector<Pick_Item>& items, std::string& reason) {
    State& s = *state;
    items.clear();
    const auto entry = KD_Routine_As<KT_Renderer_Entry>(
        KD_Load_Dynamic_Routine(KD_Default_Renderer_Module, KD_Renderer_Tag, nullptr, nullptr));
    if (!entry) {
        reason = "the z-buffer renderer module could not be loaded";
        return false;
    }
    // The z-buffer renderer on a selector: its one-pixel window is the pick
    // region, while the rendition keeps the whole picture's viewport.
    auto* selector = new KT_Selector_Data;
    // A shell reaches the selector as several runs of triangles: one item
    // for each key path is what a person asks for.
    selector->unique_keys = true;
    KT_Renderer bottom(selector);
    KT_Renderer picker(entry(&bottom));
    const int device_y = s.settings.height - 1 - y;
    KT_Renderer_Options& options = picker->renderer_options;
    options.set_window_origin({x, device_y});
    options.set_window_size({1, 1});
    KT_Shared_Image unused_colour(1, 1, KT_Image_Format::RGB32, 4, nullptr, true);
    if (KT_Option* buffer = picker->options.find(L"Color Buffer"))
        buffer->set(KT_Option_Value(static_cast<const void*>(unused_colour.body())));
    picker->establish_all();
    KT_Rendition rendition(picker);
    rendition.set_viewport({0, s.settings.width - 1, 0, s.settings.height - 1}, false);
    // Clipped polygons end exactly on the clip's bounds and coverage is
    // half-open, so a clip one pixel wide holds no area. A clip one pixel
    // larger all round lets the pixel's own coverage test decide; the
    // renderer's one-pixel window keeps nothing else.
    rendition.set_hard_clip_unrestricted({x - 1, x + 1, device_y - 1, device_y + 1}, false);
    rendition.set_camera(s.camera, false);
    rendition.set_handedness(right_handed, false);
    rendition.modify_color().light_set = s.lights;
    rendition.modify_text_attribute() = s.rendition.text_attribute();
    picker->begin_picture_all(nullptr);
    KD_Action_Clear_Z_Buffer(picker.body(), &rendition);
    s.draw_all(picker.body(), rendition, selector);
    picker->end_picture_all();

    KT_Selector_Item item;
    while (selector->show_next_selection_item(&item)) {
        if (item.key_count < 1) continue;
        const void* key = item.keys[0];
        Pick_Item out;
        out.depth = item.z;
        const Scene& scene = *s.scene;
        auto find = [&](const auto& list, auto name) {
            for (std::size_t i = 0; i < list.size(); ++i)
                if (key == &list[i]) {
                    out.primitive = int(i);
                    name(list[i]);
                    return true;
                }
            return false;
        };
        const bool known =
            find(scene.instances, [&](const Instance& i) { out.key_path = i.key_path; }) ||
            find(scene.polylines, [&](const Polyline& p) { out.key_path = {p.name}; }) ||
            find(scene.markers, [&](const Markers& m) { out.key_path = {m.name}; }) ||
            find(scene.labels, [&](const Label& l) { out.key_path = {l.name}; });
        if (known) items.push_back(std::move(out));
    }
    return true;
}

} // namespace render
