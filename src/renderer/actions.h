// The action table: slot numbers, slot records, routine types and the
// standard routines, all generated from the list in action_list.h.
//
// Calling a slot is one indirect call: the slot's routine with the slot's
// owner as renderer (see KD_Action_<name> in renderer_data.h).
#pragma once

#include <cstdint>

#include "foundation/export.h"
#include "renderer/action_list.h"

#define KAVRI_UNPAREN(...) __VA_ARGS__

enum KT_Action_Slot : int {
#define KAVRI_SLOT_NUMBER(name, kind, args) KT_Slot_##name,
    KAVRI_ACTIONS(KAVRI_SLOT_NUMBER)
#undef KAVRI_SLOT_NUMBER
        KT_Action_Slot_Count
};
static_assert(KT_Action_Slot_Count == 118);

enum class KT_Action_Kind { Standard, Nothing, Untouched, Uninstalled, Frame };

enum KT_Action_State : std::uint32_t {
    KT_Action_Unset = 0,
    KT_Action_Set = 1,       // by this renderer
    KT_Action_Inherited = 2, // from the renderer beneath
};

// Routines are stored untyped and cast back to their slot's type to call.
using KT_Action_Routine = void (*)();

struct KAVRI_API KT_Action {
    KT_Renderer_Data* owner; // renderer handed to the routine
    KT_Action_Routine routine;
    std::uint64_t argument; // carried along, never read by the library
    std::uint32_t state;    // KT_Action_State
};

// KT_Action_Type<slot>::Routine is the slot's routine type.
template <int Slot> struct KT_Action_Type;
#define KAVRI_SLOT_TYPE(name, slot_kind, args)                                                     \
    template <> struct KT_Action_Type<KT_Slot_##name> {                                            \
        using Routine = void (*)(const KT_Renderer_Data*, KAVRI_UNPAREN args);                     \
        static constexpr KT_Action_Kind kind = KT_Action_Kind::slot_kind;                          \
    };                                                                                             \
    using KT_##name##_Action = KT_Action_Type<KT_Slot_##name>::Routine;
KAVRI_ACTIONS(KAVRI_SLOT_TYPE)
#undef KAVRI_SLOT_TYPE

// The standard routines. Every one is defined by the subsystem that owns its
// step, so a missing or misspelled routine fails the link. C linkage turns
// a definition whose arguments differ from its slot into a compile error
// instead of a silent overload the table never sees.
#define KAVRI_STANDARD_DECLARATION(name, args)                                                     \
    extern "C" KAVRI_API void KD_Standard_##name(const KT_Renderer_Data*, KAVRI_UNPAREN args);
#define KAVRI_DECLARE_Standard(name, args) KAVRI_STANDARD_DECLARATION(name, args)
#define KAVRI_DECLARE_Frame(name, args) KAVRI_STANDARD_DECLARATION(name, args)
#define KAVRI_DECLARE_Uninstalled(name, args) KAVRI_STANDARD_DECLARATION(name, args)
#define KAVRI_DECLARE_Nothing(name, args)
#define KAVRI_DECLARE_Untouched(name, args)
#define KAVRI_DECLARE_STANDARD(name, kind, args) KAVRI_DECLARE_##kind(name, args)
KAVRI_ACTIONS(KAVRI_DECLARE_STANDARD)

// The routine that does nothing, one per slot signature. A function template
// and not an inline member, so that it stays exported: the library, modules
// and clients then all hold the same routine for a slot.
template <class... A> KAVRI_API void KD_Do_Nothing_Routine(const KT_Renderer_Data*, A...) {}

// The routine that does nothing, in the form each slot calls it.
template <class Routine> struct KT_Do_Nothing;
template <class... A> struct KT_Do_Nothing<void (*)(const KT_Renderer_Data*, A...)> {
    static constexpr void (*routine)(const KT_Renderer_Data*, A...) = &KD_Do_Nothing_Routine<A...>;
};

// The routine that does nothing, typed for Slot: set_action<S>(KD_Nothing<S>)
// makes a slot drop its primitives.
template <int Slot>
inline constexpr typename KT_Action_Type<Slot>::Routine KD_Nothing =
    KT_Do_Nothing<typename KT_Action_Type<Slot>::Routine>::routine;

// The routine that does nothing for slot.
KAVRI_API KT_Action_Routine KD_Do_Nothing_Action(int slot);
// What the standard table holds for slot: its standard routine for the
// Standard and Frame kinds, else the routine that does nothing.
KAVRI_API KT_Action_Routine KD_Standard_Action(int slot);
KAVRI_API KT_Action_Kind KD_Action_Kind(int slot);
// The slot's name without the KD_Standard_ prefix ("Draw_2D_Polyline").
KAVRI_API const char* KD_Action_Name(int slot);
