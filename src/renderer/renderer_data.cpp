#include "renderer/renderer_data.h"

#include <algorithm>

#include "foundation/assertion.h"
#include "foundation/heap.h"

namespace {

// Window arithmetic near the 32-bit limits saturates instead of wrapping.
std::int32_t saturate(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

KT_Int_Rectangle window_rectangle(KT_Int_XY origin, KT_Int_XY size) {
    return {origin.x, saturate(std::int64_t{origin.x} + size.x - 1), origin.y,
            saturate(std::int64_t{origin.y} + size.y - 1)};
}

KT_Int_Rectangle shifted(const KT_Int_Rectangle& r, KT_Int_XY by) {
    return {saturate(std::int64_t{r.left} + by.x), saturate(std::int64_t{r.right} + by.x),
            saturate(std::int64_t{r.bottom} + by.y), saturate(std::int64_t{r.top} + by.y)};
}

} // namespace

KT_Renderer_Data::KT_Renderer_Data()
    : device(this), depth(0), renderer_options(options), current_renderer_options(current_options) {
    fill_bottom_actions();
}

// Without a renderer beneath, the check is reported and the renderer
// stands alone as a bottom renderer rather than crash.
KT_Renderer_Data::KT_Renderer_Data(const KT_Renderer_Data* beneath_renderer)
    : beneath(const_cast<KT_Renderer_Data*>(beneath_renderer)),
      device(beneath_renderer ? beneath_renderer->device : this),
      depth(beneath_renderer ? beneath_renderer->depth + 1 : 0), renderer_options(options),
      current_renderer_options(current_options) {
    KAVRI_ASSERT(beneath_renderer != nullptr);
    if (!beneath) {
        fill_bottom_actions();
        return;
    }
    for (int slot = 0; slot < KT_Action_Slot_Count; ++slot) {
        actions[slot] = beneath->actions[slot];
        actions[slot].state = KT_Action_Inherited;
    }
    beneath->above.append(this);
}

// Members go after the body, in the order the layers expect: current
// options, options, installed palette, driver data, the above list, and
// last the reference on the renderer beneath.
KT_Renderer_Data::~KT_Renderer_Data() {
    KD_ReleaseMemory(raster_buffer);
    raster_buffer = nullptr;
    raster_buffer_size = 0;
    if (beneath) beneath->above.remove(this);
}

void KT_Renderer_Data::fill_bottom_actions() {
    for (int slot = 0; slot < KT_Action_Slot_Count; ++slot)
        actions[slot] = {this, KD_Do_Nothing_Action(slot), 0, KT_Action_Set};
    set_standard_actions(true);
}

void KT_Renderer_Data::set_standard_actions(bool frame_buffers) {
    for (int slot = 0; slot < KT_Action_Slot_Count; ++slot) {
        KT_Action_Kind kind = KD_Action_Kind(slot);
        if (kind == KT_Action_Kind::Untouched || kind == KT_Action_Kind::Uninstalled) continue;
        if (kind == KT_Action_Kind::Frame && !frame_buffers) continue;
        actions[slot] = {this, KD_Standard_Action(slot), 0, KT_Action_Set};
    }
}

void KT_Renderer_Data::inherit_actions() {
    if (!beneath) return;
    for (int slot = 0; slot < KT_Action_Slot_Count; ++slot) {
        if (actions[slot].state == KT_Action_Set) continue;
        actions[slot] = beneath->actions[slot];
        actions[slot].state = KT_Action_Inherited;
    }
}

// A renderer left without a layer beneath inherits from itself.
KT_Renderer_Options& KT_Renderer_Data::inherited_options() {
    return beneath ? beneath->current_renderer_options : current_renderer_options;
}

KT_Renderer_Options& KT_Renderer_Data::inherited_renderer_options() {
    return inherited_options();
}

KT_Option_Table& KT_Renderer_Data::inherited_option_table() {
    return beneath ? beneath->current_options : current_options;
}

void KT_Renderer_Data::optimize_current_options() {
    if (beneath) beneath->optimize_current_renderer_options(*this);
}

void KT_Renderer_Data::optimize_current_renderer_options(KT_Renderer_Data& layer_above) {
    // A merged palette travels one layer further down.
    if (current_renderer_options.optimize(layer_above.current_renderer_options))
        optimize_current_options();
    layer_above.current_options.inherit(current_options);
}

int KT_Renderer_Data::establish() {
    inherit_actions();
    remove_old_options();
    update_current_options();
    int status = establish_driver();
    optimize_current_options();
    return status;
}

int KT_Renderer_Data::establish_all() {
    if (beneath && beneath->establish_all() != 0) return 1;
    return establish();
}

void KT_Renderer_Data::remove_old_options() {
    if (palette_installed) {
        KT_Renderer_Options& view = inherited_renderer_options();
        KT_Palette merged = view.palette();
        merged.remove(installed_palette);
        view.set_palette(merged);
    }
    const KT_Option* requested = options.find(L"Palette");
    const KT_Palette* palette = requested ? requested->value.elements<KT_Palette>() : nullptr;
    palette_installed = palette && requested->value.count() > 0;
    if (palette_installed) installed_palette = *palette;
}

void KT_Renderer_Data::update_current_options() {
    current_options.unset();
    KT_Option_Table& source = inherited_option_table();
    if (&source != &current_options) current_options.inherit(source);
    current_options.set(options);
    if (beneath) current_renderer_options.checkit(inherited_renderer_options());
}

void KT_Renderer_Data::update() {
    KT_Int_XY origin = current_renderer_options.local_coordinates()
                           ? KT_Int_XY{0, 0}
                           : current_renderer_options.window_origin();
    update(window_rectangle(origin, current_renderer_options.window_size()));
}

void KT_Renderer_Data::update_all() {
    update(window_rectangle({0, 0}, current_renderer_options.window_size()));
    if (beneath) beneath->update_all();
}

void KT_Renderer_Data::update_all(const KT_Int_Rectangle& rectangle) {
    update(rectangle);
    if (beneath) beneath->update_all(shifted(rectangle, current_renderer_options.window_origin()));
}

void KT_Renderer_Data::begin_picture_all(KT_Document_Info* info) {
    if (beneath) beneath->begin_picture_all(info);
    begin_picture(info);
}

void KT_Renderer_Data::end_picture_all() {
    end_picture();
    if (beneath) beneath->end_picture_all();
}

void* KT_Renderer_Data::procure_raster_buffer(std::int32_t size) const {
    if (raster_buffer_size >= size) return raster_buffer;
    KD_ReleaseMemory(raster_buffer);
    raster_buffer =
        static_cast<unsigned char*>(KD_AllocateMemory(static_cast<std::uint64_t>(size)));
    // A failed allocation records nothing, so the next call tries again.
    raster_buffer_size = raster_buffer ? size : 0;
    return raster_buffer;
}
