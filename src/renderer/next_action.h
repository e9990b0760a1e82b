// How a standard routine hands its result to the next step of the pipeline.
//
// The next step is always looked up in the table of the renderer the
// rendition draws for (the top of the stack), never in the table of the
// routine's own owner: a layer anywhere in the stack that overrides a later
// step must see everything the earlier steps produce.
#pragma once

#include <utility>

#include "renderer/renderer_data.h"
#include "rendition/rendition.h"

// Calls slot Slot of the top renderer's table with rendition and arguments.
// A rendition without renderer draws nothing.
template <int Slot, class... A>
inline void KD_Next_Action(const KT_Rendition* rendition, A&&... arguments) {
    const KT_Renderer_Data* top = rendition ? rendition->renderer() : nullptr;
    if (!top) return;
    const KT_Action& slot = top->actions[Slot];
    reinterpret_cast<typename KT_Action_Type<Slot>::Routine>(slot.routine)(
        slot.owner, rendition, std::forward<A>(arguments)...);
}
