#include "options/option_table.h"

#include <cwchar>

namespace {

bool is_separator(wchar_t c) {
    return c == L'/' || c == L'\\';
}

} // namespace

KT_Option_Table::KT_Option_Table(const KT_Option_Table& t) : KT_Counted(t), options_(true) {
    for (KT_Option* o = t.first(); o; o = t.next())
        add(*o);
}

KT_Option* KT_Option_Table::add(const KT_Option& o) {
    auto* record = new KT_Option(o.definition, o.value);
    record->set_flag = o.set_flag;
    options_.append(record);
    return record;
}

KT_Option* KT_Option_Table::first() const {
    cursor_ = options_.head();
    return cursor_ ? cursor_->item : nullptr;
}

KT_Option* KT_Option_Table::next() const {
    if (cursor_) cursor_ = cursor_->next;
    return cursor_ ? cursor_->item : nullptr;
}

KT_Option* KT_Option_Table::find(const KT_String& name) const {
    if (name.length() < 1) return nullptr;
    return find_path(name.text(), name.length());
}

// The first component ends at the first separator after its first
// character, so a leading separator belongs to the name.
KT_Option* KT_Option_Table::find_path(const wchar_t* path, int length) const {
    int end = 1;
    while (end < length && !is_separator(path[end]))
        ++end;
    KT_Option* match = find_component(path, end);
    if (!match || match->type() != KT_Option_Enum::Aggregate) return match;

    // An aggregate always goes on with the remainder, so naming one without
    // a remainder finds nothing: a table holds options, not tables.
    const int rest = length - end - 1;
    const KT_Aggregate_Option* nested = match->value.elements<KT_Aggregate_Option>();
    if (rest < 1 || !nested || match->value.count() < 1 || !nested->table()) return nullptr;
    return nested->table()->find_path(path + end + 1, rest);
}

KT_Option* KT_Option_Table::find_component(const wchar_t* name, int length) const {
    for (KT_Option* o = first(); o; o = next()) {
        const KT_String& candidate = o->name();
        if (candidate.length() == length &&
            std::wmemcmp(candidate.text(), name, static_cast<std::size_t>(length)) == 0)
            return o;
    }
    return nullptr;
}

// Calls f for each option src holds now. Options that f appends (to src
// itself, when a table is merged into itself and a name cannot be found)
// are not visited, so the walk always ends.
template <class F> void KT_Option_Table::for_each_present(const KT_Option_Table& src, F f) {
    const Node* last = src.options_.tail();
    for (const Node* node = src.options_.head(); node; node = node->next) {
        f(node->item);
        if (node == last) break;
    }
}

void KT_Option_Table::set(const KT_Option_Table& src) {
    for_each_present(src, [this](KT_Option* o) {
        if (!o->set_flag) return;
        if (KT_Option* mine = find(o->name()))
            mine->set(o->value);
        else
            add(*o);
    });
}

void KT_Option_Table::inherit(const KT_Option_Table& src) {
    for_each_present(src, [this](KT_Option* o) {
        if (!o->is_global()) return;
        if (KT_Option* mine = find(o->name()))
            mine->inherit(o->value);
        else
            add(*o)->set_flag = false;
    });
}

void KT_Option_Table::unset() {
    for (KT_Option* o : options_)
        o->set_flag = false;
}
