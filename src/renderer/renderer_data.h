// Renderers: the objects every drawing call goes through. A renderer holds
// the action table, its requested and effective options, and its place in a
// stack whose bottom is a device. Each layer takes over, for every slot it
// does not set itself, the routine and owner of the layer beneath; options
// flow up from the device and palettes are merged down to it.
#pragma once

#include <cstdint>

#include "foundation/basic_types.h"
#include "foundation/counted.h"
#include "foundation/export.h"
#include "foundation/ptr_list.h"
#include "image/palette.h"
#include "options/option_table.h"
#include "options/renderer_options.h"
#include "renderer/actions.h"

// What a client tells the layers when a picture begins; the library passes
// it through unread.
struct KAVRI_API KT_Document_Info {
    const wchar_t* name = nullptr;
    const void* client_data = nullptr;
};

class KAVRI_API KT_Renderer_Data : public KT_Counted {
public:
    // A renderer stacked on beneath: it starts with exactly the behaviour of
    // the stack beneath it. beneath must not be null (a null is reported
    // and gives a renderer that stands alone).
    explicit KT_Renderer_Data(const KT_Renderer_Data* beneath);
    ~KT_Renderer_Data() override;
    KT_Renderer_Data(const KT_Renderer_Data&) = delete;
    KT_Renderer_Data& operator=(const KT_Renderer_Data&) = delete;

    // Renderers are shared and changed in place, never copied.
    KT_Counted* copy() const override { return nullptr; }

    // The options this layer's effective options start from: the current
    // options of the layer beneath (a device: its native options).
    virtual KT_Renderer_Options& inherited_options();
    virtual KT_Renderer_Options& inherited_renderer_options();
    // Merges this layer's palette into the layers beneath.
    virtual void optimize_current_options();
    virtual void optimize_current_renderer_options(KT_Renderer_Data& above);
    virtual KT_Option_Table& inherited_option_table();
    // Opens or reconfigures the layer's output once its current options are
    // up to date; 0 on success.
    virtual int establish_driver() = 0;
    // Establishes the stack bottom-up; 1 when a layer beneath fails.
    virtual int establish_all();
    virtual void begin_picture(KT_Document_Info* info) = 0;
    // The device begins first and ends last.
    virtual void begin_picture_all(KT_Document_Info* info);
    virtual void end_picture() = 0;
    virtual void end_picture_all();
    // Refreshes a rectangle of this layer's window.
    virtual void update(const KT_Int_Rectangle& rectangle) = 0;
    // Refreshes rectangle here, then the same area, shifted into each lower
    // layer's window, in every layer beneath.
    virtual void update_all(const KT_Int_Rectangle& rectangle);

    // Inherits actions, brings the current options up to date, establishes
    // the driver and merges palettes down; 0 on success.
    int establish();
    // Undoes the palette merged at the previous establish and notes the one
    // to merge at this one.
    void remove_old_options();
    void update_current_options();
    // Refreshes this layer's whole window.
    void update();
    // Refreshes every layer's whole window, in its own coordinates.
    void update_all();

    // Scratch memory of at least size bytes, owned by the renderer and
    // shared by all its actions; it never shrinks. Null when the allocation
    // fails.
    void* procure_raster_buffer(std::int32_t size) const;

    // Puts routine into one of this renderer's slots: owner = this, state
    // set, so that no establish overwrites it.
    template <int Slot>
    void set_action(typename KT_Action_Type<Slot>::Routine routine, std::uint64_t argument = 0) {
        actions[Slot] = {this, reinterpret_cast<KT_Action_Routine>(routine), argument,
                         KT_Action_Set};
    }

    KT_Pointer<KT_Renderer_Data> beneath;
    KT_PtrList<KT_Renderer_Data> above; // not owned
    KT_Renderer_Data* device;           // the bottom of the stack
    KT_Action actions[KT_Action_Slot_Count];
    KT_Pointer<KT_Counted> driver_data; // for the module; released with the renderer
    bool palette_installed = false;
    KT_Palette installed_palette; // what this layer merged into the layers beneath
    std::int32_t depth;           // 0 at the bottom
    KT_Option_Table options;      // requested for this layer
    KT_Option_Table current_options;
    KT_Renderer_Options renderer_options;
    KT_Renderer_Options current_renderer_options;
    mutable std::int32_t raster_buffer_size = 0;
    mutable unsigned char* raster_buffer = nullptr;
    // What the 3D actions keep from call to call (scratch, the rendition
    // they derived), so that repeated frames take nothing from the heap.
    mutable KT_Pointer<KT_Counted> drawing_store;

protected:
    // A bottom renderer (every bottom renderer is a device): every slot set
    // by itself, holding the standard routines.
    KT_Renderer_Data();

    // Fills the slots with the standard table; with frame_buffers, the two
    // frame-buffer slots too.
    void set_standard_actions(bool frame_buffers);
    // Takes owner, routine and argument of every slot not set here from the
    // layer beneath.
    void inherit_actions();

private:
    void fill_bottom_actions();
};

class KAVRI_API KT_Renderer : public KT_Pointer<KT_Renderer_Data> {
public:
    KT_Renderer() = default;
    explicit KT_Renderer(KT_Renderer_Data* body) : KT_Pointer(body) {}
};

// KD_Action_<name>(renderer, arguments...) calls the slot of renderer's
// table: its routine, handed its owner.
template <int Slot, class Routine = typename KT_Action_Type<Slot>::Routine> struct KT_Action_Call;
template <int Slot, class... A>
struct KT_Action_Call<Slot, void (*)(const KT_Renderer_Data*, A...)> {
    static void call(const KT_Renderer_Data* renderer, A... arguments) {
        const KT_Action& slot = renderer->actions[Slot];
        reinterpret_cast<typename KT_Action_Type<Slot>::Routine>(slot.routine)(slot.owner,
                                                                               arguments...);
    }
};
#define KAVRI_ACTION_CALL(name, kind, args)                                                        \
    inline constexpr auto KD_Action_##name = &KT_Action_Call<KT_Slot_##name>::call;
KAVRI_ACTIONS(KAVRI_ACTION_CALL)
#undef KAVRI_ACTION_CALL
