// Whole scenes drawn through the render stack: shells go through the 3D
// pipeline and the scan converter into the z-buffer module.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "../support/reference_raster.h"
#include "../support/uv_sphere.h"
#include "renderer/next_action.h"
#include "renderer/render_stack.h"
#include "z_buffer_stack.h"

namespace {

using namespace szb_test;

constexpr KT_Int_XY scene_size = {96, 96};

// A layer above the z-buffer that notes each DCI triangle strip, with the
// colours it will be drawn in, before the standard routine scan-converts it.
class Triangle_Recorder : public KT_Renderer_Data {
public:
    struct Strip {
        std::vector<reference::Vertex> points;
        reference::Shading shading;
        std::vector<KT_RGB32> flat; // one per triangle, or one for all
        std::int32_t depth_offset;
    };

    explicit Triangle_Recorder(const KT_Renderer_Data* beneath) : KT_Renderer_Data(beneath) {
        set_action<KT_Slot_Draw_DCI_Polytriangle>(&plain);
        set_action<KT_Slot_Draw_DCI_Colorized_Polytriangle>(&colorized);
        set_action<KT_Slot_Draw_DCI_Gouraud_Polytriangle>(&gouraud);
    }
    int establish_driver() override { return 0; }
    void begin_picture(KT_Document_Info*) override {}
    void end_picture() override {}
    void update(const KT_Int_Rectangle&) override {}
    using KT_Renderer_Data::update;

    std::vector<Strip> strips;

private:
    static Triangle_Recorder& self(const KT_Renderer_Data* owner) {
        return *const_cast<Triangle_Recorder*>(static_cast<const Triangle_Recorder*>(owner));
    }
    static Strip strip_of(const KT_Rendition* r, int count, const KT_DCI_Point* points,
                          const KT_RGB32* colours, reference::Shading shading) {
        Strip s{{}, shading, {}, r->face().depth_offset};
        for (int i = 0; i < count; ++i)
            s.points.push_back({points[i], colours ? colours[i] : KT_RGB32{}});
        return s;
    }
    template <int Slot, class... A> static void standard(const KT_Renderer_Data* owner, A... a) {
        reinterpret_cast<typename KT_Action_Type<Slot>::Routine>(KD_Standard_Action(Slot))(owner,
                                                                                           a...);
    }
    static void plain(const KT_Renderer_Data* owner, const KT_Rendition* r, int count,
                      const KT_DCI_Point* points) {
        Strip s = strip_of(r, count, points, nullptr, reference::Shading::Flat);
        s.flat = {r->color().front.device_rgb};
        self(owner).strips.push_back(s);
        standard<KT_Slot_Draw_DCI_Polytriangle>(owner, r, count, points);
    }
    static void colorized(const KT_Renderer_Data* owner, const KT_Rendition* r, int count,
                          const KT_DCI_Point* points, const KT_RGB32* colours, bool single) {
        Strip s = strip_of(r, count, points, nullptr, reference::Shading::Flat);
        s.flat.assign(colours, colours + (single ? 1 : std::max(count - 2, 0)));
        self(owner).strips.push_back(s);
        standard<KT_Slot_Draw_DCI_Colorized_Polytriangle>(owner, r, count, points, colours, single);
    }
    static void gouraud(const KT_Renderer_Data* owner, const KT_Rendition* r, int count,
                        const KT_DCI_Point* points, const KT_RGB32* colours) {
        self(owner).strips.push_back(
            strip_of(r, count, points, colours, reference::Shading::Gouraud));
        standard<KT_Slot_Draw_DCI_Gouraud_Polytriangle>(owner, r, count, points, colours);
    }
};

// The expected picture: every strip drawn by the reference scan converter
// alone, then merged pixel by pixel with a less-or-equal depth compare.
capture::Picture depth_tested(const std::vector<Triangle_Recorder::Strip>& strips) {
    capture::Picture result(scene_size.x, scene_size.y);
    for (int y = 0; y < scene_size.y; ++y)
        for (int x = 0; x < scene_size.x; ++x)
            result.at(x, y).depth = far_depth;
    for (const Triangle_Recorder::Strip& strip : strips)
        for (std::size_t i = 0; i + 2 < strip.points.size(); ++i) {
            capture::Picture alone(scene_size.x, scene_size.y);
            const KT_RGB32 flat =
                strip.flat.empty() ? KT_RGB32{} : strip.flat[strip.flat.size() == 1 ? 0 : i];
            reference::draw_triangle(alone, strip.points[i], strip.points[i + 1],
                                     strip.points[i + 2], strip.shading, flat, strip.depth_offset);
            for (int y = 0; y < scene_size.y; ++y)
                for (int x = 0; x < scene_size.x; ++x) {
                    const capture::Pixel& p = alone.at(x, y);
                    capture::Pixel& kept = result.at(x, y);
                    if (p.hits == 0 || p.depth > kept.depth) continue;
                    kept.colour = p.colour;
                    kept.depth = p.depth;
                    kept.hits = 1;
                }
        }
    return result;
}

struct Ball {
    KT_Point centre;
    KT_RGB32 colour;
};

// Balls as sphere shells, made once and drawn in any number of frames.
class Scene {
public:
    explicit Scene(const std::vector<Ball>& balls, int rings = 8) {
        spheres_.reserve(balls.size()); // the shells reference the spheres' arrays
        for (const Ball& ball : balls) {
            spheres_.push_back(uv_sphere::make<KT_Point>(rings, 2 * rings, 0.45, ball.centre));
            shells_.push_back(uv_sphere::shell_of(spheres_.back()));
            colours_.push_back(ball.colour);
        }
    }

    // One frame: clear colour and depth, draw each ball in its colour.
    void draw(const KT_Renderer_Data* top) const {
        KT_Rendition rendition(top);
        KD_Action_Clear_Drawing_Buffer(top, &rendition);
        KD_Action_Clear_Z_Buffer(top, &rendition);
        for (std::size_t i = 0; i < shells_.size(); ++i) {
            rendition.set_color(colours_[i], false);
            KD_Action_Draw_3D_Shell(top, &rendition, &shells_[i]);
        }
    }

private:
    std::vector<uv_sphere::Sphere<KT_Point>> spheres_;
    std::vector<KT_Shell> shells_;
    std::vector<KT_RGB32> colours_;
};

const std::vector<Ball> interpenetrating = {
    {{-0.2f, 0.0f, 0.0f}, red}, {{0.25f, 0.1f, 0.15f}, blue}, {{0.0f, -0.25f, -0.1f}, green}};

TEST(SceneTest, InterpenetratingShellsMatchTheDepthTestedReference) {
    szb_render_stack stack;
    KT_Int_XY origin = {0, 0}, size = scene_size;
    ASSERT_TRUE(stack.configure(origin, size));
    Triangle_Recorder* recorder = new Triangle_Recorder(stack.renderer().body());
    KT_Renderer top(recorder);
    top->establish();
    Scene(interpenetrating).draw(top.body());
    ASSERT_FALSE(recorder->strips.empty()) << "the shells reached no DCI triangle slot";

    const capture::Picture expected = depth_tested(recorder->strips);
    const KT_Image_Data& image = *stack.image_data();
    int covered = 0;
    for (int y = 0; y < scene_size.y; ++y)
        for (int x = 0; x < scene_size.x; ++x) {
            const capture::Pixel& want = expected.at(x, y);
            const KT_RGB32 drawn = reinterpret_cast<const KT_RGB32*>(image.reversed_rows()[y])[x];
            const KT_RGB32 background = white;
            covered += want.hits > 0;
            ASSERT_TRUE(same(drawn, want.hits ? want.colour : background))
                << "pixel (" << x << ", " << y << "): drawn " << text(drawn) << ", expected "
                << (want.hits ? text(want.colour) : "background");
        }
    EXPECT_GT(covered, scene_size.x * scene_size.y / 10) << "the scene covers little";
}

// Each thread draws its own scene through its own stack, under that
// stack's lock; the pictures equal those drawn one at a time.
std::vector<std::uint8_t> picture(szb_render_stack& stack, const Scene& scene) {
    KT_Int_XY origin = {0, 0}, size = scene_size;
    stack.lock();
    stack.configure(origin, size);
    scene.draw(stack.renderer().body());
    const KT_Image_Data& image = *stack.image_data();
    std::vector<std::uint8_t> bytes(image.pixels(), image.pixels() + image.byte_size());
    stack.unlock();
    return bytes;
}

TEST(SceneTest, TwoStacksInTwoThreadsDrawAsTheyDoOneAtATime) {
    const Scene balls(interpenetrating);
    const Scene ball({{{0.1f, 0.1f, 0.0f}, green}}, 12);
    szb_render_stack first, second;
    const std::vector<std::uint8_t> first_alone = picture(first, balls);
    const std::vector<std::uint8_t> second_alone = picture(second, ball);
    ASSERT_NE(first_alone, second_alone) << "the two scenes must differ to prove anything";
    std::vector<std::uint8_t> first_threaded, second_threaded;
    std::thread a([&] {
        for (int i = 0; i < 4; ++i)
            first_threaded = picture(first, balls);
    });
    std::thread b([&] {
        for (int i = 0; i < 4; ++i)
            second_threaded = picture(second, ball);
    });
    a.join();
    b.join();
    EXPECT_EQ(first_threaded, first_alone);
    EXPECT_EQ(second_threaded, second_alone);
}

} // namespace
