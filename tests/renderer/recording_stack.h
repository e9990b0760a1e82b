// A recording device and recording renderers for driving stacks in tests:
// every driver call and every recording action is written to one log as a
// line of text naming the layer and its arguments.
#pragma once

#include <string>
#include <vector>

#include "renderer/device_data.h"

namespace recording {

inline std::vector<std::string>& log() {
    static std::vector<std::string> lines;
    return lines;
}

inline std::string rect(const KT_Int_Rectangle& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + "," + std::to_string(r.top) + ")";
}

struct Named {
    virtual ~Named() = default;
    std::string name;
    int establish_result = 0;
    KT_Document_Info* last_info = nullptr;
};

inline std::string name_of(const KT_Renderer_Data* r) {
    auto* n = dynamic_cast<const Named*>(r);
    return n ? n->name : "?";
}

// The driver operations every layer records.
template <class Base> class Recording : public Base, public Named {
public:
    template <class... A> explicit Recording(const char* layer_name, A... a) : Base(a...) {
        name = layer_name;
    }
    using KT_Renderer_Data::update;
    using KT_Renderer_Data::update_all;

    int establish_driver() override {
        log().push_back("establish " + name);
        return establish_result;
    }
    void begin_picture(KT_Document_Info* info) override {
        last_info = info;
        log().push_back("begin " + name);
    }
    void end_picture() override { log().push_back("end " + name); }
    void update(const KT_Int_Rectangle& r) override {
        log().push_back("update " + name + " " + rect(r));
    }
};

class Device : public Recording<KT_Device_Data> {
public:
    explicit Device(const char* layer_name) : Recording(layer_name) {}
    // A device stacked on another renderer.
    Device(const char* layer_name, const KT_Renderer_Data* beneath)
        : Recording(layer_name, beneath) {}
    void update_palette() override { log().push_back("update_palette " + name); }
    using KT_Renderer_Data::set_standard_actions;
};

class Renderer : public Recording<KT_Renderer_Data> {
public:
    Renderer(const char* layer_name, const KT_Renderer_Data* beneath)
        : Recording(layer_name, beneath) {}
};

} // namespace recording
