#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "recording_stack.h"

namespace {

using namespace recording;
using Lines = std::vector<std::string>;

void record_2d_polyline(const KT_Renderer_Data* r, const KT_Rendition*, int count,
                        const KT_Point* points) {
    std::string line = "2D_Polyline " + name_of(r) + " " + std::to_string(count);
    for (int i = 0; i < count; ++i)
        line += " " + std::to_string(static_cast<int>(points[i].x)) + ":" +
                std::to_string(static_cast<int>(points[i].y));
    log().push_back(line);
}

// A 3D routine that, like the standard ones, goes on through the table of
// the renderer it was handed.
void record_3d_polyline(const KT_Renderer_Data* r, const KT_Rendition* rendition,
                        const KT_Polyline*) {
    log().push_back("3D_Polyline " + name_of(r));
    const KT_Point points[2] = {{1, 2, 0}, {3, 4, 0}};
    KD_Action_Draw_2D_Polyline(r, rendition, 2, points);
}

void record_dc_polyline(const KT_Renderer_Data* r, const KT_Rendition*, int count,
                        const KT_Point*) {
    log().push_back("DC_Polyline " + name_of(r) + " " + std::to_string(count));
}

class Stack : public ::testing::Test {
protected:
    void SetUp() override { log().clear(); }

    // A middle and a top renderer over the device.
    void stack_three() {
        middle = KT_Renderer(new Renderer("middle", &device));
        top = KT_Renderer(new Renderer("top", middle.body()));
    }

    KT_Renderer device_handle{new Device("device")};
    Device& device = *static_cast<Device*>(device_handle.body());
    KT_Renderer middle, top;
};

// What a fresh table must hold in each slot, worked out from the action
// list itself: a Standard or Frame slot holds its standard routine, every
// other slot the routine that does nothing.
template <int Slot>
KT_Action_Routine expected_routine(typename KT_Action_Type<Slot>::Routine standard) {
    constexpr KT_Action_Kind kind = KT_Action_Type<Slot>::kind;
    const bool installed = kind == KT_Action_Kind::Standard || kind == KT_Action_Kind::Frame;
    return reinterpret_cast<KT_Action_Routine>(installed ? standard : KD_Nothing<Slot>);
}
#define KAVRI_ROUTINE_Standard(name) &KD_Standard_##name
#define KAVRI_ROUTINE_Frame(name) &KD_Standard_##name
#define KAVRI_ROUTINE_Uninstalled(name) &KD_Standard_##name
#define KAVRI_ROUTINE_Nothing(name) nullptr
#define KAVRI_ROUTINE_Untouched(name) nullptr
#define KAVRI_EXPECTED_ROUTINE(name, kind, args)                                                   \
    expected_routine<KT_Slot_##name>(KAVRI_ROUTINE_##kind(name)),
const KT_Action_Routine fresh_table[KT_Action_Slot_Count] = {KAVRI_ACTIONS(KAVRI_EXPECTED_ROUTINE)};
#undef KAVRI_EXPECTED_ROUTINE

bool has_no_standard_routine(int slot) {
    const KT_Action_Kind kind = KD_Action_Kind(slot);
    return kind == KT_Action_Kind::Nothing || kind == KT_Action_Kind::Untouched ||
           kind == KT_Action_Kind::Uninstalled;
}

TEST_F(Stack, AFreshDeviceOwnsEverySlot) {
    for (int slot = 0; slot < KT_Action_Slot_Count; ++slot) {
        SCOPED_TRACE(KD_Action_Name(slot));
        const KT_Action& a = device.actions[slot];
        EXPECT_EQ(a.state, KT_Action_Set);
        EXPECT_EQ(a.owner, &device);
        EXPECT_EQ(a.argument, 0u);
    }
}

TEST_F(Stack, AFreshDeviceHoldsTheRoutineEachSlotKindCallsFor) {
    for (int slot = 0; slot < KT_Action_Slot_Count; ++slot) {
        SCOPED_TRACE(KD_Action_Name(slot));
        EXPECT_EQ(device.actions[slot].routine, fresh_table[slot]);
    }
}

TEST_F(Stack, SlotsWithoutAStandardRoutineDoNothing) {
    int slots_checked = 0;
    for (int slot = 0; slot < KT_Action_Slot_Count; ++slot) {
        if (!has_no_standard_routine(slot)) continue;
        SCOPED_TRACE(KD_Action_Name(slot));
        EXPECT_EQ(device.actions[slot].routine, KD_Do_Nothing_Action(slot));
        ++slots_checked;
    }
    EXPECT_GT(slots_checked, 0) << "the list has slots without a standard routine";
}

// Every step of the pipeline has landed: no slot that calls for a standard
// routine may fall back to doing nothing.
TEST_F(Stack, NoStandardOrFrameSlotOfAFreshRendererDoesNothing) {
    for (int slot = 0; slot < KT_Action_Slot_Count; ++slot) {
        const KT_Action_Kind kind = KD_Action_Kind(slot);
        if (kind != KT_Action_Kind::Standard && kind != KT_Action_Kind::Frame) continue;
        SCOPED_TRACE(KD_Action_Name(slot));
        EXPECT_NE(device.actions[slot].routine, KD_Do_Nothing_Action(slot));
        EXPECT_NE(device.actions[slot].routine, nullptr);
    }
}

TEST_F(Stack, NamesEndWithTheLastSlot) {
    EXPECT_STREQ(KD_Action_Name(KT_Action_Slot_Count - 1), "Display_Frame_Buffer");
    EXPECT_STREQ(KD_Action_Name(KT_Action_Slot_Count), "");
    EXPECT_STREQ(KD_Action_Name(-1), "");
}

TEST_F(Stack, TheSlotsOfAFreshDeviceCanBeCalled) {
    const KT_Point points[1] = {{0, 0, 0}};
    KD_Action_Draw_2D_Polyline(&device, nullptr, 1, points);
    KD_Action_Clear_Z_Buffer(&device, nullptr);
    EXPECT_TRUE(log().empty());
}

// A device has no layer beneath: establishing it keeps every slot.
TEST_F(Stack, EstablishingADeviceKeepsItsSlots) {
    const std::uint64_t marker = 9;
    device.set_action<KT_Slot_Draw_2D_Polyline>(record_2d_polyline, marker);
    ASSERT_EQ(device.establish(), 0);
    EXPECT_EQ(device.actions[KT_Slot_Draw_2D_Polyline].argument, marker);
}

class Refill : public Stack {
protected:
    void SetUp() override {
        Stack::SetUp();
        device.set_action<KT_Slot_Create_Frame_Buffer>(KD_Nothing<KT_Slot_Create_Frame_Buffer>,
                                                       marker);
        device.set_action<KT_Slot_Read_DCI_Color_Image>(KD_Nothing<KT_Slot_Read_DCI_Color_Image>,
                                                        marker);
        device.set_action<KT_Slot_Draw_2D_Polyline>(record_2d_polyline, marker);
    }
    static constexpr std::uint64_t marker = 9;
    static constexpr std::uint64_t standard_argument = 0;
};

TEST_F(Refill, WithoutFrameBufferSlotsRefillsStandardSlotsAndKeepsFrameSlots) {
    device.set_standard_actions(false);
    EXPECT_EQ(device.actions[KT_Slot_Draw_2D_Polyline].argument, standard_argument);
    EXPECT_EQ(device.actions[KT_Slot_Create_Frame_Buffer].argument, marker);
}

TEST_F(Refill, WithFrameBufferSlotsRefillsThemToo) {
    device.set_standard_actions(true);
    EXPECT_EQ(device.actions[KT_Slot_Create_Frame_Buffer].argument, standard_argument);
}

TEST_F(Refill, NeverTouchesUninstalledSlots) {
    device.set_standard_actions(true);
    EXPECT_EQ(device.actions[KT_Slot_Read_DCI_Color_Image].argument, marker);
}

TEST_F(Stack, CallsFallThroughWithTheLowerLayerAsOwner) {
    device.set_action<KT_Slot_Draw_2D_Polyline>(record_2d_polyline, 77);
    stack_three();
    EXPECT_EQ(top->actions[KT_Slot_Draw_2D_Polyline].argument, 77u) << "mirrored when built";
    // Set after the layers above were built: they see it from the next establish.
    device.set_action<KT_Slot_Clear_Z_Buffer>(KD_Nothing<KT_Slot_Clear_Z_Buffer>, 5);
    middle->set_action<KT_Slot_Draw_DC_Polyline>(record_dc_polyline);
    top->set_action<KT_Slot_Draw_3D_Polyline>(record_3d_polyline);
    ASSERT_EQ(top->establish_all(), 0);
    for (int slot = 0; slot < KT_Action_Slot_Count; ++slot) {
        SCOPED_TRACE(KD_Action_Name(slot));
        const KT_Renderer_Data* owner = slot == KT_Slot_Draw_3D_Polyline   ? top.body()
                                        : slot == KT_Slot_Draw_DC_Polyline ? middle.body()
                                                                           : &device;
        const KT_Action& a = top->actions[slot];
        EXPECT_EQ(a.owner, owner);
        EXPECT_EQ(a.state, owner == top.body() ? KT_Action_Set : KT_Action_Inherited);
        EXPECT_EQ(a.routine, owner->actions[slot].routine);
        EXPECT_EQ(a.argument, owner->actions[slot].argument);
    }
    log().clear();
    KD_Action_Draw_3D_Polyline(top.body(), nullptr, nullptr);
    KD_Action_Draw_DC_Polyline(top.body(), nullptr, 5, nullptr);
    EXPECT_EQ(log(),
              (Lines{"3D_Polyline top", "2D_Polyline device 2 1:2 3:4", "DC_Polyline middle 5"}));
}

TEST_F(Stack, EstablishAllAndPicturesGoBottomUp) {
    stack_three();
    auto& m = *dynamic_cast<Renderer*>(middle.body());
    auto establishes = [] {
        Lines out;
        std::copy_if(log().begin(), log().end(), std::back_inserter(out),
                     [](const std::string& line) { return line.rfind("establish ", 0) == 0; });
        log().clear();
        return out;
    };
    EXPECT_EQ(top->establish_all(), 0);
    EXPECT_EQ(establishes(), (Lines{"establish device", "establish middle", "establish top"}));

    m.establish_result = 2;
    EXPECT_EQ(middle->establish_all(), 2) << "a layer's own failure passes on unchanged";
    establishes();
    EXPECT_EQ(top->establish_all(), 1);
    EXPECT_EQ(establishes(), (Lines{"establish device", "establish middle"}));

    m.establish_result = 0;
    device.establish_result = 5;
    EXPECT_EQ(top->establish_all(), 1);
    EXPECT_EQ(establishes(), (Lines{"establish device"}));

    // Pictures begin at the device and end there.
    KT_Document_Info info;
    top->begin_picture_all(&info);
    top->end_picture_all();
    EXPECT_EQ(log(), (Lines{"begin device", "begin middle", "begin top", "end top", "end middle",
                            "end device"}));
    EXPECT_EQ(device.last_info, &info);
}

TEST_F(Stack, OptionsFlowUpFromTheNativeOptions) {
    device.native_renderer_options.set_color_system(KT_Color_System::Gray);
    device.native_renderer_options.set_buffer_depth(16);
    middle = KT_Renderer(new Renderer("middle", &device));
    middle->renderer_options.set_buffer_depth(24);
    // A device stacked on a renderer starts from its own native options.
    auto* upper = new Device("upper", middle.body());
    top = KT_Renderer(upper);
    upper->native_renderer_options.set_buffer_depth(8);
    EXPECT_EQ(top->device, &device);
    ASSERT_EQ(top->establish_all(), 0);

    EXPECT_EQ(middle->current_renderer_options.color_system(), KT_Color_System::Gray);
    EXPECT_EQ(middle->current_renderer_options.buffer_depth(), 24);
    EXPECT_EQ(top->current_renderer_options.buffer_depth(), 8);

    // A request withdrawn falls back to what the layer beneath has.
    middle->renderer_options.option(KT_Renderer_Options::Buffer_Depth)->set_flag = false;
    ASSERT_EQ(middle->establish_all(), 0);
    EXPECT_EQ(middle->current_renderer_options.buffer_depth(), 16);
}

TEST_F(Stack, PaletteMergesDownToTheDeviceAndIsUndoneAtTheNextEstablish) {
    top = KT_Renderer(new Renderer("top", &device));
    KT_Palette ramp;
    ASSERT_TRUE(ramp.install(KT_Gray_Ramp(4, 1.0f, 10)));
    top->renderer_options.set_palette(ramp);

    ASSERT_EQ(top->establish_all(), 0);
    EXPECT_TRUE(top->palette_installed);
    EXPECT_TRUE(top->installed_palette.shares_body_with(ramp));
    for (int i = 10; i < 14; ++i) {
        EXPECT_GT(device.current_renderer_options.palette().use_count(i), 0u) << i;
        EXPECT_EQ(device.native_renderer_options.palette().color(i).g, ramp.color(i).g) << i;
    }
    EXPECT_EQ(device.native_renderer_options.palette().use_count(14), 0u);
    EXPECT_EQ(std::count(log().begin(), log().end(), "update_palette device"), 1);
    EXPECT_FALSE(device.native_renderer_options.option(KT_Renderer_Options::Palette)->set_flag);

    // The next establish first takes the merged entries back out of the
    // layer beneath, then notes what is requested now.
    KT_Palette nothing;
    top->renderer_options.set_palette(nothing);
    top->remove_old_options();
    for (int i = 10; i < 14; ++i)
        EXPECT_EQ(device.current_renderer_options.palette().use_count(i), 0u) << i;
    EXPECT_TRUE(device.current_renderer_options.option(KT_Renderer_Options::Palette)->set_flag);
    EXPECT_TRUE(top->installed_palette.shares_body_with(nothing));
    EXPECT_EQ(ramp.use_count(10), 1u) << "the undo must not write into the requested palette";
}

TEST_F(Stack, UpdateAllWalksDownTheStack) {
    device.native_renderer_options.set_window_origin({0, 0});
    device.native_renderer_options.set_window_size({800, 600});
    top = KT_Renderer(new Renderer("top", &device));
    top->renderer_options.set_window_origin({10, 20});
    top->renderer_options.set_window_size({640, 480});
    ASSERT_EQ(top->establish_all(), 0);
    auto updates = [](auto call) {
        log().clear();
        call();
        return log();
    };
    EXPECT_EQ(updates([&] { top->update_all(); }),
              (Lines{"update top (0,639,0,479)", "update device (0,799,0,599)"}));
    EXPECT_EQ(updates([&] {
                  top->update_all({1, 2, 3, 4});
              }),
              (Lines{"update top (1,2,3,4)", "update device (11,12,23,24)"}));
    EXPECT_EQ(updates([&] { top->update(); }), (Lines{"update top (10,649,20,499)"}));
    top->renderer_options.set_local_coordinates(true);
    ASSERT_EQ(top->establish(), 0);
    EXPECT_EQ(updates([&] { top->update(); }), (Lines{"update top (0,639,0,479)"}));

    // Near the 32-bit limit the arithmetic saturates rather than wraps.
    const std::string max = std::to_string(INT32_MAX);
    EXPECT_EQ(updates([&] {
                  top->update_all({INT32_MAX - 1, INT32_MAX, 0, 0});
              })[1],
              "update device (" + max + "," + max + ",20,20)");
}

class Tracked : public KT_Counted {
public:
    explicit Tracked(bool& gone) : gone_(gone) {}
    ~Tracked() override { gone_ = true; }
    KT_Counted* copy() const override { return nullptr; }

private:
    bool& gone_;
};

TEST_F(Stack, DestructionUnlinksFromTheLayerBeneath) {
    KT_Renderer a(new Renderer("first", &device));
    KT_Renderer b(new Renderer("second", &device));
    EXPECT_EQ(device.reference_count(), 3u);
    EXPECT_EQ(device.above.count(), 2);
    EXPECT_EQ(device.above.head()->item, a.body());

    bool driver_data_gone = false;
    a->driver_data.attach(new Tracked(driver_data_gone));
    a->procure_raster_buffer(64);
    a.reset();
    EXPECT_TRUE(driver_data_gone);
    ASSERT_EQ(device.above.count(), 1);
    EXPECT_EQ(device.above.head()->item, b.body());

    // The tail stays right: a later renderer is appended after the survivor.
    KT_Renderer c(new Renderer("third", &device));
    b.reset();
    ASSERT_EQ(device.above.count(), 1);
    EXPECT_EQ(device.above.tail()->item, c.body());
    c.reset();
    EXPECT_TRUE(device.above.empty());
    EXPECT_EQ(device.reference_count(), 1u);
}

} // namespace
