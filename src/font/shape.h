// Shape records: a shape is known by its index within the shape engine that
// hands it out. Records do not keep the engine alive; the engine outlives
// the shapes it hands out.
#pragma once

#include <cstdint>

#include "foundation/counted.h"
#include "foundation/export.h"

class KT_Shape_Engine_Data;

class KAVRI_API KT_Shape_Data : public KT_Counted {
public:
    KT_Shape_Data(const KT_Shape_Engine_Data* engine, int index) : engine(engine), index(index) {}
    KT_Counted* copy() const override { return new KT_Shape_Data(*this); }

    const KT_Shape_Engine_Data* engine;
    std::int32_t index;
};

// The three kinds differ only in which drawing operation of the engine
// uses them.
template <int Kind> class KT_Shape_Kind_Data : public KT_Shape_Data {
public:
    using KT_Shape_Data::KT_Shape_Data;
    KT_Counted* copy() const override { return new KT_Shape_Kind_Data(*this); }
};
using KT_Line_Shape_Data = KT_Shape_Kind_Data<0>;
using KT_Marker_Shape_Data = KT_Shape_Kind_Data<1>;
using KT_Fill_Shape_Data = KT_Shape_Kind_Data<2>;

template <class Body> class KT_Shape_Handle : public KT_Pointer<Body> {
public:
    KT_Shape_Handle() = default;
    explicit KT_Shape_Handle(Body* body) : KT_Pointer<Body>(body) {}
    KT_Shape_Handle(const KT_Shape_Engine_Data* engine, int index)
        : KT_Pointer<Body>(new Body(engine, index)) {}

    const KT_Shape_Engine_Data* engine() const {
        return this->body_ ? this->body_->engine : nullptr;
    }
    std::int32_t index() const { return this->body_ ? this->body_->index : -1; }
};
using KT_Line_Shape = KT_Shape_Handle<KT_Line_Shape_Data>;
using KT_Marker_Shape = KT_Shape_Handle<KT_Marker_Shape_Data>;
using KT_Fill_Shape = KT_Shape_Handle<KT_Fill_Shape_Data>;
