// Handles over a tree of body classes. A handle of a derived kind always
// holds a body of its own kind (its constructors make it and copy on write
// keeps the kind), so it may view its body as that kind.
#pragma once

#include "foundation/counted.h"

template <class Base> class KT_Typed_Handle : public KT_Pointer<Base> {
public:
    KT_Typed_Handle() = default;
    explicit KT_Typed_Handle(Base* body) : KT_Pointer<Base>(body) {}

protected:
    template <class Body> const Body* view() const { return static_cast<const Body*>(this->body_); }
    template <class Body> Body* edit() { return static_cast<Body*>(this->modify()); }
};
