// What a driver module (.kdi file) provides, for module authors.
//
// A module is a shared object with a version record and one entry point per
// role it plays, named by the role's tag:
//
//   #include "renderer/module_contract.h"
//
//   KAVRI_MODULE_VERSION(12, 0);          // product version 12.0 is required
//
//   class My_Device : public KT_Device_Data { ... };
//   KAVRI_MODULE_ENTRY KT_Renderer_Data* KD_Device() { return new My_Device; }
//
// "ModuleType" (the optional third argument of KAVRI_MODULE_VERSION, a
// hexadecimal number) keeps the module loaded once loaded when negative.
//
// A device (a KT_Device_Data subclass) must
//   - fill its native options in its constructor (colour system, packing,
//     colour resolution, window size...): the layers above start from them;
//   - implement establish_driver (0 on success), begin_picture, end_picture,
//     update (the rectangle form) and update_palette;
//   - if it keeps pixels, set its own DCI image slots for its native pixel
//     format, Clear_Z_Buffer, the depth-image and read-back slots, and the
//     frame-buffer slots it needs: their standard routines only convert or
//     do nothing.
// A renderer (a KT_Renderer_Data subclass built on the device it is handed)
// must implement establish_driver, begin_picture, end_picture and update,
// and set the slots it implements with set_action<KT_Slot_...>() before it
// is established; a slot it sets is never overwritten by inheritance.
//
// Overriding update(rectangle) or update_all(rectangle) hides the library's
// no-argument forms: bring them back with
//   using KT_Renderer_Data::update;  using KT_Renderer_Data::update_all;
//
// Bodies are returned with reference count 0; the library's handles take
// the references. The module must stay loaded while any of its bodies lives.
#pragma once

#include "foundation/export.h"
#include "renderer/device_data.h"
#include "renderer/module_version.h"
#include "renderer/renderer_data.h"

class KT_Font_Engine_Data;
class KT_Font_Engine;

// The exported, unmangled entry points.
#define KAVRI_MODULE_ENTRY extern "C" KAVRI_API

// Tags of the three roles, and the modules the library loads by default.
constexpr const wchar_t* KD_Device_Tag = L"KD_Device";
constexpr const wchar_t* KD_Renderer_Tag = L"KD_Renderer";
constexpr const wchar_t* KD_Font_Engine_Tag = L"KD_Font_Engine";
constexpr const wchar_t* KD_Default_Device_Module = L"null12.kdi";
constexpr const wchar_t* KD_Default_Renderer_Module = L"szb12.kdi";
constexpr const wchar_t* KD_Default_Font_Engine_Module = L"gdifont12.kdi";

// "KD_Device": a new device body.
using KT_Device_Entry = KT_Renderer_Data* (*)();
// "KD_Renderer": a new renderer body stacked on *device.
using KT_Renderer_Entry = KT_Renderer_Data* (*)(KT_Renderer* device);
// "KD_Font_Engine": a new font engine body for *renderer.
using KT_Font_Engine_Entry = KT_Font_Engine_Data* (*)(KT_Renderer* renderer);
