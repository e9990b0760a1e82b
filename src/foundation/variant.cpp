#include "foundation/variant.h"

#include <climits>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>
#include <stdexcept>

#include "foundation/heap.h"

// The handle lives inside the element, so the element's one block from the
// library heap holds everything but the name's text and the value's body.
struct KT_Variant_Data::Element : KT_Object {
    Element(const wchar_t* element_name, const KT_Variant& element_value)
        : name(element_name), value(element_value) {}
    Element(const Element&) = delete;
    Element& operator=(const Element&) = delete;

    Element* prev = nullptr;
    Element* next = nullptr;
    KT_String name;
    KT_Variant value;
};

// Ordered, doubly linked, counting its elements.
class KT_Variant_Data::Element_List : public KT_Object {
public:
    static constexpr int max_count = INT_MAX;

    Element_List() = default;
    ~Element_List() override {
        while (head_)
            unlink(head_);
    }
    Element_List(const Element_List&) = delete;
    Element_List& operator=(const Element_List&) = delete;

    Element* head() const { return head_; }
    int count() const { return count_; }

    void append(Element* element) {
        if (count_ >= max_count) {
            delete element;
            throw std::length_error("list<T> too long");
        }
        element->prev = tail_;
        (tail_ ? tail_->next : head_) = element;
        tail_ = element;
        ++count_;
    }

    void unlink(Element* element) {
        (element->prev ? element->prev->next : head_) = element->next;
        (element->next ? element->next->prev : tail_) = element->prev;
        --count_;
        delete element;
    }

    void remove_named(const wchar_t* name) {
        for (Element* element = head_; element;) {
            Element* next = element->next;
            if (::wcscasecmp(element->name.text(), name) == 0) unlink(element);
            element = next;
        }
    }

    Element* find(const wchar_t* name) const {
        for (Element* element = head_; element; element = element->next)
            if (::wcscasecmp(element->name.text(), name) == 0) return element;
        return nullptr;
    }

    Element* at(int index) const {
        Element* element = head_;
        while (element && index-- > 0)
            element = element->next;
        return element;
    }

private:
    Element* head_ = nullptr;
    Element* tail_ = nullptr;
    int count_ = 0;
};

namespace {

// Element names are never null: a null name is stored as the empty string.
const wchar_t* element_name(const wchar_t* name) {
    return name ? name : L"";
}

} // namespace

KT_Variant_Data::KT_Variant_Data() : kind_(Empty) {
    value_.raw = 0;
}

KT_Variant_Data::~KT_Variant_Data() {
    reset();
    cached_data_.invalidate();
}

KT_Counted* KT_Variant_Data::copy() const {
    auto* twin = new KT_Variant_Data;
    switch (kind_) {
    case RGB:
        twin->set_value(value_.rgb);
        break;
    case String:
        twin->set_value(value_.text);
        break;
    case Elements:
        twin->kind_ = Elements;
        twin->value_.elements = new Element_List;
        // The names are already unique, so the elements are appended as they
        // are rather than through set_elem's search for duplicates.
        for (Element* element = value_.elements->head(); element; element = element->next)
            twin->value_.elements->append(new Element(element->name.text(), element->value));
        break;
    default:
        twin->kind_ = kind_;
        twin->value_.raw = value_.raw;
        break;
    }
    return twin;
}

bool KT_Variant_Data::as_boolean() const {
    if (kind_ == Boolean) return value_.boolean;
    if (kind_ == Int) return value_.integer != 0;
    return false;
}

int KT_Variant_Data::as_int() const {
    return kind_ == Int ? value_.integer : 0;
}

float KT_Variant_Data::as_float() const {
    return kind_ == Float ? value_.real : 0.0f;
}

wchar_t* KT_Variant_Data::as_char() const {
    return kind_ == String ? value_.text : nullptr;
}

KT_RGB* KT_Variant_Data::as_rgb() const {
    return kind_ == RGB ? value_.rgb : nullptr;
}

int KT_Variant_Data::get_elem_count() const {
    return kind_ == Elements && value_.elements ? value_.elements->count() : 0;
}

bool KT_Variant_Data::get_elem(const wchar_t* name, KT_Variant*& value) const {
    if (kind_ != Elements || !value_.elements) return false;
    Element* element = value_.elements->find(element_name(name));
    if (!element) return false;
    value = &element->value;
    return true;
}

bool KT_Variant_Data::get_elem_at(int index, wchar_t*& name, KT_Variant*& value) const {
    if (index < 0 || index >= get_elem_count()) return false;
    Element* element = value_.elements->at(index);
    name = element->name.text();
    value = &element->value;
    return true;
}

void KT_Variant_Data::reset() {
    switch (kind_) {
    case RGB:
        KD_ReleaseMemory(value_.rgb);
        break;
    case String:
        KD_ReleaseMemory(value_.text);
        break;
    case Elements:
        delete value_.elements;
        break;
    default:
        break;
    }
    kind_ = Empty;
    value_.raw = 0;
}

void KT_Variant_Data::set_value(bool value) {
    reset();
    kind_ = Boolean;
    value_.boolean = value;
}

void KT_Variant_Data::set_value(int value) {
    reset();
    kind_ = Int;
    value_.integer = value;
}

void KT_Variant_Data::set_value(float value) {
    reset();
    kind_ = Float;
    value_.real = value;
}

void KT_Variant_Data::set_value(const KT_RGB* value) {
    // Copy before resetting: value may be this body's own colour.
    auto* colour = value ? static_cast<KT_RGB*>(KD_AllocateMemory(sizeof(KT_RGB))) : nullptr;
    if (colour) std::memcpy(colour, value, sizeof(KT_RGB));
    reset();
    if (!colour) return;
    kind_ = RGB;
    value_.rgb = colour;
}

void KT_Variant_Data::set_value(const wchar_t* value) {
    wchar_t* text = nullptr;
    if (value) {
        const std::size_t length = std::wcslen(value);
        text = static_cast<wchar_t*>(KT_String::alloc((length + 1) * sizeof(wchar_t)));
        if (text) std::wmemcpy(text, value, length + 1);
    }
    reset();
    if (!text) return;
    kind_ = String;
    value_.text = text;
}

void KT_Variant_Data::set_elem(const wchar_t* name, const KT_Variant& value) {
    // Both arguments may live inside an element about to be removed, so the
    // new element is built first.
    std::unique_ptr<Element> element(new Element(element_name(name), value));
    // Names are compared as text, so an element whose name could not be
    // copied must never join the list.
    if (element->name.is_null()) throw std::bad_alloc();
    if (kind_ != Elements) {
        // Allocated before the reset, so a failure leaves the body as it was.
        auto* list = new Element_List;
        reset();
        value_.elements = list;
        kind_ = Elements;
    }
    value_.elements->remove_named(element->name.text());
    value_.elements->append(element.release());
}

KT_Variant::KT_Variant() : KT_Pointer<KT_Variant_Data>(new KT_Variant_Data) {}

KT_Variant::KT_Variant(bool value) : KT_Variant() {
    body_->set_value(value);
}

KT_Variant::KT_Variant(int value) : KT_Variant() {
    body_->set_value(value);
}

KT_Variant::KT_Variant(float value) : KT_Variant() {
    body_->set_value(value);
}

KT_Variant::KT_Variant(const KT_RGB& value) : KT_Variant() {
    body_->set_value(&value);
}

KT_Variant::KT_Variant(const wchar_t* value) : KT_Variant() {
    body_->set_value(value);
}

KT_Variant_Data* KT_Variant::writable(bool in_place) {
    if (!body_) attach(new KT_Variant_Data);
    return modify(in_place);
}

void KT_Variant::set_boolean(bool value, bool in_place) {
    writable(in_place)->set_value(value);
}

void KT_Variant::set_int(int value, bool in_place) {
    writable(in_place)->set_value(value);
}

void KT_Variant::set_float(float value, bool in_place) {
    writable(in_place)->set_value(value);
}

void KT_Variant::set_value(const KT_RGB* value, bool in_place) {
    writable(in_place)->set_value(value);
}

void KT_Variant::set_value(const wchar_t* value, bool in_place) {
    writable(in_place)->set_value(value);
}

void KT_Variant::set_elem(const wchar_t* name, const KT_Variant& value, bool in_place) {
    // Holding value first means a variant stored into itself makes the
    // modify below copy, so no body ever contains itself.
    KT_Variant held(value);
    KT_Variant_Data* body = writable(in_place);
    if (held.body() == body) held.attach(static_cast<KT_Variant_Data*>(body->copy()));
    body->set_elem(name, held);
}

void KT_Variant::reset(bool in_place) {
    writable(in_place)->reset();
}
