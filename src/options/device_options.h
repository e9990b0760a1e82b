// The typed view of the three options that identify a device's output.
// They are local: layers above never inherit them.
#pragma once

#include "foundation/export.h"
#include "options/option_table.h"

class KAVRI_API KT_Device_Options {
public:
    enum Index { Window_ID, Context_ID, Colormap_ID, option_count };

    // Adds the three options to table, null and not set.
    explicit KT_Device_Options(KT_Option_Table& table);

    KT_Option* option(Index i) const { return options_[i]; }

    const void* window_id() const { return read(Window_ID); }
    const void* context_id() const { return read(Context_ID); }
    const void* colormap_id() const { return read(Colormap_ID); }
    void set_window_id(const void* v) { write(Window_ID, v); }
    void set_context_id(const void* v) { write(Context_ID, v); }
    void set_colormap_id(const void* v) { write(Colormap_ID, v); }

private:
    const void* read(Index i) const { return options_[i]->value.element<const void*>(0); }
    void write(Index i, const void* v) { options_[i]->set(KT_Option_Value(v)); }

    KT_Option* options_[option_count];
};
