// The 256-colour table of a mapped device, with fast matching of any
// colour to an index.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>

#include "foundation/basic_types.h"
#include "foundation/counted.h"
#include "foundation/export.h"
#include "foundation/heap_allocator.h"
#include "image/color_cube.h"
#include "image/gray_ramp.h"

struct KAVRI_API KT_Palette_Entry {
    KT_RGB32 color;
    // How many installed blocks use the entry; 0 means free.
    std::uint32_t use_count;
};

class KAVRI_API KT_Palette_Data : public KT_Counted {
public:
    static constexpr int entry_count = 256;

    struct Match {
        std::int32_t index;
        // Found by searching every entry, not by a cube or ramp shortcut.
        bool exact;
    };
    using Match_Cache = std::map<std::uint32_t, Match, std::less<std::uint32_t>,
                                 KT_Heap_Allocator<std::pair<const std::uint32_t, Match>>>;

    // Every colour byte 0xCD, every entry free.
    KT_Palette_Data();
    KT_Palette_Data(const KT_Palette_Data& other);
    KT_Palette_Data& operator=(const KT_Palette_Data&) = delete;
    ~KT_Palette_Data() override;

    KT_Counted* copy() const override { return new KT_Palette_Data(*this); }

    KT_Palette_Entry entries[entry_count];
    // Owned copies of the last cube and ramp installed, or null.
    KT_Color_Cube* installed_cube = nullptr;
    KT_Gray_Ramp* installed_ramp = nullptr;
    // Filled by const matching, so shared bodies change here in place.
    mutable Match_Cache match_cache;
};

class KAVRI_API KT_Palette : public KT_Pointer<KT_Palette_Data> {
public:
    // A new palette with no entry in use.
    KT_Palette() : KT_Pointer(new KT_Palette_Data) {}
    explicit KT_Palette(KT_Palette_Data* body) : KT_Pointer(body) {}

    // Colour and use count of index; a zero colour and count outside 0-255.
    KT_RGB32 color(int index) const;
    std::uint32_t use_count(int index) const;
    const KT_Color_Cube* installed_cube() const { return body_->installed_cube; }
    const KT_Gray_Ramp* installed_ramp() const { return body_->installed_ramp; }

    // The index of the entry in use nearest to colour, or -1 when none is.
    // Without exhaustive, an installed ramp answers nearly gray colours and
    // an installed cube the rest, and any cached answer is taken.
    std::int32_t closest_match(KT_RGB32 colour, bool exhaustive) const;

    // Installing claims the block's entries. It fails, changing nothing,
    // when an entry in use holds another colour or the block does not fit.
    bool install(const KT_Color_Cube& cube);
    bool install(const KT_Gray_Ramp& ramp);
    // Merges the entries in use in palette (and its cube and ramp) into
    // this one; remove undoes one such install. Both refuse an empty handle.
    bool install(const KT_Palette& palette);
    bool remove(const KT_Palette& palette);
    // True when no entry in use in both palettes differs in colour.
    bool is_equal_to(KT_Palette palette) const;
    // The first index of a run of length free entries, or -1.
    std::int32_t first_available_block(int length) const;
    // Forgets every cached match; index is not used.
    void entry_helper(int index);

private:
    template <class Block> bool install_block(const Block& block, Block* KT_Palette_Data::*slot);
};
