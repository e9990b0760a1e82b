// Named, typed, inheritable option tables, and the aggregate option that
// nests one table in another so that option names can be paths.
#pragma once

#include "foundation/counted.h"
#include "foundation/export.h"
#include "foundation/ptr_list.h"
#include "foundation/string.h"
#include "options/option.h"

class KAVRI_API KT_Option_Table : public KT_Counted {
public:
    KT_Option_Table() : options_(true) {}
    // Adds every option of t in order (moving t's cursor).
    KT_Option_Table(const KT_Option_Table& t);
    KT_Option_Table& operator=(const KT_Option_Table&) = delete;
    ~KT_Option_Table() override = default;

    KT_Counted* copy() const override { return new KT_Option_Table(*this); }

    // Appends a record sharing o's definition and value, with o's set flag.
    // A name already present is not replaced: find returns the first.
    KT_Option* add(const KT_Option& o);

    // The option named name, or null. The name may be a path through
    // aggregate options, its components separated by '/' or '\'.
    KT_Option* find(const KT_String& name) const;

    // first/next share one cursor with find, set, inherit and copying: a
    // walk must not call those on the same table between two steps.
    KT_Option* first() const;
    KT_Option* next() const;

    // Carries every option set explicitly in src into this table (the
    // requested options overriding the current ones).
    void set(const KT_Option_Table& src);
    // Takes src's global options for every option not set explicitly here,
    // adding missing ones as not set.
    void inherit(const KT_Option_Table& src);
    // Forgets which options were set explicitly; values stay.
    void unset();

    int count() const { return options_.count(); }

private:
    using Node = KT_PtrList<KT_Option>::Node;

    KT_Option* find_path(const wchar_t* path, int length) const;
    KT_Option* find_component(const wchar_t* name, int length) const;
    template <class F> static void for_each_present(const KT_Option_Table& src, F f);

    KT_PtrList<KT_Option> options_;
    mutable Node* cursor_ = nullptr;
};

// Holds one nested option table (shared, like every handle).
class KAVRI_API KT_Aggregate_Option : public KT_Pointer<KT_Option_Table> {
public:
    // A new empty table.
    KT_Aggregate_Option() : KT_Pointer(new KT_Option_Table) {}
    explicit KT_Aggregate_Option(KT_Option_Table* table) : KT_Pointer(table) {}

    KT_Option_Table* table() const { return body(); }
};
