#include "renderer/actions.h"

namespace {

template <int Slot> KT_Action_Routine untyped(typename KT_Action_Type<Slot>::Routine routine) {
    return reinterpret_cast<KT_Action_Routine>(routine);
}

template <int Slot> KT_Action_Routine nothing() {
    return untyped<Slot>(KD_Nothing<Slot>);
}

struct Slot_Entry {
    const char* name;
    KT_Action_Kind kind;
    KT_Action_Routine nothing;
    KT_Action_Routine standard; // null for the kinds without a standard routine
};

#define KAVRI_STANDARD_Standard(name) untyped<KT_Slot_##name>(&KD_Standard_##name)
#define KAVRI_STANDARD_Frame(name) untyped<KT_Slot_##name>(&KD_Standard_##name)
#define KAVRI_STANDARD_Uninstalled(name) untyped<KT_Slot_##name>(&KD_Standard_##name)
#define KAVRI_STANDARD_Nothing(name) nullptr
#define KAVRI_STANDARD_Untouched(name) nullptr
#define KAVRI_SLOT_ENTRY(name, kind, args)                                                         \
    {#name, KT_Action_Kind::kind, nothing<KT_Slot_##name>(), KAVRI_STANDARD_##kind(name)},

const Slot_Entry slot_entries[KT_Action_Slot_Count] = {KAVRI_ACTIONS(KAVRI_SLOT_ENTRY)};

const Slot_Entry* entry(int slot) {
    return slot >= 0 && slot < KT_Action_Slot_Count ? &slot_entries[slot] : nullptr;
}

} // namespace

KT_Action_Routine KD_Do_Nothing_Action(int slot) {
    const Slot_Entry* e = entry(slot);
    return e ? e->nothing : nullptr;
}

KT_Action_Routine KD_Standard_Action(int slot) {
    const Slot_Entry* e = entry(slot);
    if (!e) return nullptr;
    bool installed = e->kind == KT_Action_Kind::Standard || e->kind == KT_Action_Kind::Frame;
    return installed ? e->standard : e->nothing;
}

KT_Action_Kind KD_Action_Kind(int slot) {
    const Slot_Entry* e = entry(slot);
    return e ? e->kind : KT_Action_Kind::Nothing;
}

const char* KD_Action_Name(int slot) {
    const Slot_Entry* e = entry(slot);
    return e ? e->name : "";
}

// A renderer without a depth buffer has nothing to clear.
void KD_Standard_Clear_Z_Buffer(const KT_Renderer_Data*, const KT_Rendition*) {}
