// The render stack a target draws through, built and configured once per
// process: the modules load once, and a fresh stack per input would spend
// the run on setup. Each target asks for one window size.
#pragma once

#include "fuzz_input.h"
#include "renderer/render_stack.h"

inline szb_render_stack& configured_stack(int width, int height) {
    static szb_render_stack* made = [=] {
        auto* stack = new szb_render_stack;
        KT_Int_XY origin = {0, 0}, size = {width, height};
        FUZZ_CHECK(stack->configure(origin, size));
        return stack;
    }();
    return *made;
}
