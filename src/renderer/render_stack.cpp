#include "renderer/render_stack.h"

#include <cstring>
#include <cwchar>
#include <mutex>

#include "foundation/assertion.h"
#include "foundation/load_order.h"
#include "renderer/dynamic_load.h"
#include "renderer/module_contract.h"

namespace {

// The default modules, shared by every stack in the process. The lock is
// set up by the first stack; the modules that were loaded are unloaded when
// the library unloads.
class Default_Modules {
public:
    Default_Modules() = default;
    ~Default_Modules() {
        if (device) KD_Unload_Dynamic_Routine(KD_Default_Device_Module, KD_Device_Tag, nullptr);
        if (renderer)
            KD_Unload_Dynamic_Routine(KD_Default_Renderer_Module, KD_Renderer_Tag, nullptr);
        if (font_engine)
            KD_Unload_Dynamic_Routine(KD_Default_Font_Engine_Module, KD_Font_Engine_Tag, nullptr);
        if (lock_ready) kdiDeleteCriticalSection(&lock);
    }
    Default_Modules(const Default_Modules&) = delete;
    Default_Modules& operator=(const Default_Modules&) = delete;

    // True when all three entry points are there.
    bool load() {
        std::call_once(once, [this] {
            kdiInitializeCriticalSection(&lock);
            lock_ready = true;
        });
        kdiLockGuard guard(&lock);
        load_one(device, KD_Default_Device_Module, KD_Device_Tag);
        load_one(renderer, KD_Default_Renderer_Module, KD_Renderer_Tag);
        load_one(font_engine, KD_Default_Font_Engine_Module, KD_Font_Engine_Tag);
        return device && renderer && font_engine;
    }

    KT_Dynamic_Routine device = nullptr;
    KT_Dynamic_Routine renderer = nullptr;
    KT_Dynamic_Routine font_engine = nullptr;

private:
    void load_one(KT_Dynamic_Routine& entry, const wchar_t* file, const wchar_t* tag) {
        if (entry) return;
        KT_Dynamic_Load_Status status = KT_Load_Undetermined;
        entry = KD_Load_Dynamic_Routine(file, tag, nullptr, &status);
        if (!entry) report(file, status);
    }

    // A missing module would otherwise be reported by every stack built.
    void report(const wchar_t* file, KT_Dynamic_Load_Status status) {
        if (reported) return;
        reported = true;
        wchar_t text[256];
        std::swprintf(text, 256, L"render stack module %ls: %ls", file,
                      KD_Dynamic_Load_Status_Text(status));
        KD_Fail_Assertion(text, L"Kavri", KAVRI_WIDEN(__FILE__), __LINE__);
    }

    kdiCriticalSection lock;
    std::once_flag once;
    bool lock_ready = false;
    bool reported = false;
};

[[gnu::init_priority(KAVRI_LOAD_ORDER_RENDER_STACK)]] Default_Modules default_modules;

void set_requested(KT_Option_Table& table, const wchar_t* name, const KT_Option_Value& value) {
    if (KT_Option* option = table.find(name)) option->set(value);
}

} // namespace

szb_render_stack::szb_render_stack() {
    kdiInitializeCriticalSection(&lock_);
    if (default_modules.load()) {
        device_ = KT_Renderer(KD_Routine_As<KT_Device_Entry>(default_modules.device)());
        if (!device_.empty())
            renderer_ =
                KT_Renderer(KD_Routine_As<KT_Renderer_Entry>(default_modules.renderer)(&device_));
        if (!renderer_.empty())
            font_engine_ = KT_Font_Engine(
                KD_Routine_As<KT_Font_Engine_Entry>(default_modules.font_engine)(&renderer_));
    }
    if (!renderer_.empty()) {
        set_requested(renderer_->options, L"Alpha Blending", KT_Option_Value(true));
        set_requested(renderer_->options, L"Use Mask", KT_Option_Value(true));
    }
    if (!font_engine_.empty())
        set_requested(font_engine_->options, L"Native Rasterization", KT_Option_Value(true));
}

szb_render_stack::~szb_render_stack() {
    font_engine_.reset();
    renderer_.reset();
    device_.reset();
    image_.reset();
    kdiDeleteCriticalSection(&lock_);
}

bool szb_render_stack::configure(KT_Int_XY& origin, KT_Int_XY& size) {
    if (device_.empty() || renderer_.empty() || font_engine_.empty() || size.x <= 0 ||
        size.y <= 0) {
        image_.reset();
        return false;
    }
    if (image_.empty() || image_->width() != size.x || image_->height() != size.y)
        image_ = KT_Shared_Image(size.x, size.y, KT_Image_Format::RGB32, 4, nullptr, true);
    if (image_->is_empty()) {
        image_.reset();
        return false;
    }
    std::memset(image_->pixels(), 0, static_cast<std::size_t>(image_->byte_size()));

    device_->renderer_options.set_color_system(KT_Color_System::True_Color);
    device_->establish();

    KT_Renderer_Options& requested = renderer_->renderer_options;
    set_requested(renderer_->options, L"Color Buffer",
                  KT_Option_Value(static_cast<const void*>(image_.body())));
    requested.set_color_system(KT_Color_System::True_Color);
    requested.set_window_size(size);
    requested.set_window_origin(origin);
    renderer_->establish();

    font_engine_->establish_configuration();
    return true;
}

void szb_render_stack::flush() {
    image_.reset();
}
