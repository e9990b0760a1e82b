// Every block the library takes must come from its own heap functions, so
// that a host's allocator sees all of it. This program replaces the global
// operator new and counts what reaches it while library objects are built,
// copied, written and destroyed.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "appearance/image_texture.h"
#include "appearance/light.h"
#include "appearance/light_set.h"
#include "appearance/material.h"
#include "appearance/procedural_texture.h"
#include "foundation/variant.h"
#include "image/image_data.h"
#include "image/palette.h"
#include "math/camera.h"
#include "math/matrix.h"
#include "options/option_table.h"
#include "rendition/cutting_plane.h"

namespace {

std::atomic<bool> counting{false};
std::atomic<int> global_allocations{0};

void* counted_allocation(std::size_t size) {
    if (counting.load()) global_allocations.fetch_add(1);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

// Global allocations made while work runs; the count covers construction,
// copies and destruction alike.
template <class Work> int global_allocations_during(Work work) {
    global_allocations = 0;
    counting = true;
    work();
    counting = false;
    return global_allocations.load();
}

// Work on library objects, built, copied, written and destroyed.
struct Library_Work {
    const char* name;
    void (*run)();
};

const Library_Work library_work[] = {
    {"variant elements",
     [] {
         KT_Variant parameters;
         parameters.set_elem(L"Colour", KT_Variant(KT_RGB{1.0f, 0.5f, 0.25f}));
         parameters.set_elem(L"Name", KT_Variant(L"brass"));
         parameters.set_elem(L"COLOUR", KT_Variant(3));
     }},
    {"a written copy of a variant with elements",
     [] {
         KT_Variant parameters;
         parameters.set_elem(L"Shininess", KT_Variant(0.5f));
         KT_Variant written = parameters;
         written.set_elem(L"Roughness", KT_Variant(0.25f)); // copies the shared body
     }},
    {"option tables with nested tables",
     [] {
         KT_Aggregate_Option group;
         group.table()->add(KT_Option(L"Size", KT_Option_Enum::Global, 640, 480));
         KT_Option_Table table;
         table.add(KT_Option(L"Group", KT_Option_Enum::Global, group));
         table.add(KT_Option(L"Title", KT_Option_Enum::Local, KT_String(L"window")));
         KT_Option_Table copy(table);
         copy.find(L"Group/Size")->value.set_element(0, 800);
     }},
    {"matrices and cameras",
     [] {
         KT_Matrix turn, move, product;
         turn.rotate_z(0.5);
         move.translate(1, 2, 3);
         move.convert_to_double();
         turn.multiply(move, product);
         const KT_Matrix adjoint = product.adjoint();
         KT_Camera camera;
         camera.set_position({0, 0, -10});
         KT_Camera shared = camera;
         shared.set_target({1, 1, 1});
     }},
    {"images, palettes and textures",
     [] {
         KT_Shared_Image image(16, 8, KT_Image_Format::RGB32, 0, nullptr, false);
         KT_Palette palette;
         palette.install(KT_Color_Cube({3, 3, 3}, 1.0f, 10));
         palette.closest_match(KT_RGB32{10, 20, 30, 0}, false);
         KT_Procedural_Marble_Texture marble;
         KT_Texture shared = marble;
         shared.set_tiling(KT_Tiling_Mode::Clamp, KT_Tiling_Mode::Clamp, KT_Tiling_Mode::Clamp);
     }},
    {"cutting plane sets",
     [] {
         KT_Cutting_Plane_Set planes(KT_Cutting_Plane(KT_Plane{0, 0, 1, -1}));
         KT_Cutting_Plane_Set shared = planes;
         shared.add(KT_Cutting_Plane(KT_Plane_D{1, 0, 0, 0}));
         KT_Matrix to_device;
         to_device.scale(2, 2, 2);
         shared.validate_screen_planes(to_device);
     }},
    {"lights, materials and baked textures",
     [] {
         KT_Light_Set lights(KT_Ambient_Light({0.2f, 0.2f, 0.2f}));
         lights.add(KT_Distant_Light({0, 0, -1}));
         KT_Light_Set shared = lights;
         shared.add(KT_Distant_Light({1, 0, 0}));
         KT_Basic_Material material;
         material.set_specular_color({0, 0, 0});
         KT_Simple_Image_Texture texture(
             KT_Shared_Image(8, 8, KT_Image_Format::RGB32, 0, nullptr, false));
         const KT_Shared_Image baked = texture.image(4, 4);
     }},
};

TEST(HeapDiscipline, LibraryObjectsTakeEveryBlockFromTheLibraryHeap) {
    for (const Library_Work& work : library_work) {
        SCOPED_TRACE(work.name);
        EXPECT_EQ(global_allocations_during(work.run), 0);
    }
}

// The counting runs inside the program's own operator new, so a library
// that bypasses its heap cannot go unseen.
TEST(HeapDiscipline, TheCounterSeesGlobalAllocations) {
    const int allocations = global_allocations_during([] { delete new int(4); });
    EXPECT_EQ(allocations, 1);
}

} // namespace

void* operator new(std::size_t size) {
    return counted_allocation(size);
}
void* operator new[](std::size_t size) {
    return counted_allocation(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
