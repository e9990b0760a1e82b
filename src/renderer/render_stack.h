// A ready-made stack that draws into memory: a device from the default
// device module, the software z-buffer renderer stacked on it, a font
// engine attached to the renderer, and the RGB32 image it draws into.
//
//   szb_render_stack stack;
//   KT_Int_XY origin = {0, 0}, size = {640, 480};
//   if (stack.configure(origin, size)) { draw through stack.renderer() }
//   read stack.image_data()
//
// The modules are loaded once per process. A stack is not locked by its
// own operations: clients that share one between threads bracket their use
// with lock() and unlock().
#pragma once

#include "font/font_engine.h"
#include "foundation/export.h"
#include "foundation/object.h"
#include "image/image_data.h"
#include "platform/lock.h"
#include "renderer/renderer_data.h"

class KAVRI_API szb_render_stack {
public:
    szb_render_stack();
    virtual ~szb_render_stack();
    szb_render_stack(const szb_render_stack&) = delete;
    szb_render_stack& operator=(const szb_render_stack&) = delete;

    static void* operator new(std::size_t size) { return KT_Object::operator new(size); }
    static void operator delete(void* p) { KT_Object::operator delete(p); }

    // Makes (or keeps, when the size is unchanged) an image of size pixels,
    // clears it and establishes the layers for the window at origin. False
    // without modules or for a size that is not positive.
    bool configure(KT_Int_XY& origin, KT_Int_XY& size);
    // Drops the image; the next configure makes a new one.
    void flush();

    KT_Renderer& renderer() { return renderer_; }
    KT_Font_Engine& font_engine() { return font_engine_; }
    KT_Image_Data* image_data() { return image_.body(); }

    void lock() { kdiEnterCriticalSection(&lock_); }
    void unlock() { kdiLeaveCriticalSection(&lock_); }

private:
    kdiCriticalSection lock_;
    KT_Renderer device_;
    KT_Renderer renderer_;
    KT_Font_Engine font_engine_;
    KT_Shared_Image image_;
};
