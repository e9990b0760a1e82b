#include "image/palette.h"

#include <cstdlib>

namespace {

std::uint32_t word(KT_RGB32 c) {
    return static_cast<std::uint32_t>(c.b) | static_cast<std::uint32_t>(c.g) << 8 |
           static_cast<std::uint32_t>(c.r) << 16 | static_cast<std::uint32_t>(c.a) << 24;
}

bool same_color(KT_RGB32 a, KT_RGB32 b) {
    return word(a) == word(b);
}

bool in_range(int index) {
    return index >= 0 && index < KT_Palette_Data::entry_count;
}

// Every pair of channels closer than 4 levels: the ramp answers it.
bool nearly_gray(KT_RGB32 c) {
    return std::abs(c.r - c.g) < 4 && std::abs(c.g - c.b) < 4 && std::abs(c.r - c.b) < 4;
}

template <class Block> Block* clone(const Block* block) {
    if (!block) return nullptr;
    void* memory = KD_AllocateMemory(sizeof(Block));
    return memory ? new (memory) Block(*block) : nullptr;
}

template <class Block> void release(Block*& block) {
    if (block) block->~Block();
    KD_ReleaseMemory(block);
    block = nullptr;
}

// Replaces the owned block in slot by a copy of block (or by nothing).
template <class Block> void replace(Block*& slot, const Block* block) {
    release(slot);
    slot = clone(block);
}

} // namespace

KT_Palette_Data::KT_Palette_Data() {
    for (KT_Palette_Entry& e : entries)
        e = {{0xCD, 0xCD, 0xCD, 0xCD}, 0};
}

KT_Palette_Data::KT_Palette_Data(const KT_Palette_Data& other)
    : KT_Counted(other), installed_cube(clone(other.installed_cube)),
      installed_ramp(clone(other.installed_ramp)), match_cache(other.match_cache) {
    for (int i = 0; i < entry_count; ++i)
        entries[i] = other.entries[i];
}

KT_Palette_Data::~KT_Palette_Data() {
    release(installed_cube);
    release(installed_ramp);
}

KT_RGB32 KT_Palette::color(int index) const {
    return in_range(index) ? body_->entries[index].color : KT_RGB32{0, 0, 0, 0};
}

std::uint32_t KT_Palette::use_count(int index) const {
    return in_range(index) ? body_->entries[index].use_count : 0;
}

std::int32_t KT_Palette::closest_match(KT_RGB32 colour, bool exhaustive) const {
    colour.a = 255;
    const std::uint32_t key = word(colour);
    KT_Palette_Data::Match_Cache& cache = body_->match_cache;
    if (auto hit = cache.find(key); hit != cache.end() && (hit->second.exact || !exhaustive))
        return hit->second.index;

    KT_Palette_Data::Match match = {-1, false};
    if (!exhaustive && body_->installed_ramp && nearly_gray(colour))
        match.index = body_->installed_ramp->closest_match(colour);
    else if (!exhaustive && body_->installed_cube)
        match.index = body_->installed_cube->closest_match(colour);
    else
        match = {-1, true};

    if (match.exact) {
        // Any entry in use lies within this bound, so only a palette with
        // no entry in use answers -1.
        std::int32_t best = 0x30000;
        for (int i = 0; i < KT_Palette_Data::entry_count && best != 0; ++i) {
            const KT_Palette_Entry& e = body_->entries[i];
            if (e.use_count == 0) continue;
            const std::int32_t dr = e.color.r - colour.r;
            const std::int32_t dg = e.color.g - colour.g;
            const std::int32_t db = e.color.b - colour.b;
            const std::int32_t distance = dr * dr + dg * dg + db * db;
            if (distance >= best) continue;
            best = distance;
            match.index = i;
        }
    }
    try {
        cache.insert_or_assign(key, match);
    } catch (const std::bad_alloc&) {
        // An answer that cannot be cached is still the answer.
    }
    return match.index;
}

template <class Block>
bool KT_Palette::install_block(const Block& block, Block* KT_Palette_Data::*slot) {
    if (block.base() + block.size() > KT_Palette_Data::entry_count) return false;
    for (int i = block.base(); i < block.base() + block.size(); ++i) {
        const KT_Palette_Entry& e = body_->entries[i];
        if (e.use_count > 0 && !same_color(e.color, block.color(i))) return false;
    }
    KT_Palette_Data* mine = modify();
    mine->match_cache.clear();
    for (int i = block.base(); i < block.base() + block.size(); ++i) {
        mine->entries[i].color = block.color(i);
        ++mine->entries[i].use_count;
    }
    replace(mine->*slot, &block);
    return true;
}

bool KT_Palette::install(const KT_Color_Cube& cube) {
    return install_block(cube, &KT_Palette_Data::installed_cube);
}

bool KT_Palette::install(const KT_Gray_Ramp& ramp) {
    return install_block(ramp, &KT_Palette_Data::installed_ramp);
}

bool KT_Palette::install(const KT_Palette& palette) {
    // Held apart from this handle, so that installing a palette into itself
    // reads the entries as they were.
    const KT_Palette other = palette;
    if (other.empty() || !is_equal_to(other)) return false;
    const KT_Palette_Data& theirs = *other.body();
    KT_Palette_Data* mine = modify();
    mine->match_cache.clear();
    for (int i = 0; i < KT_Palette_Data::entry_count; ++i) {
        if (theirs.entries[i].use_count == 0) continue;
        mine->entries[i].color = theirs.entries[i].color;
        ++mine->entries[i].use_count;
    }
    if (theirs.installed_cube) replace(mine->installed_cube, theirs.installed_cube);
    if (theirs.installed_ramp) replace(mine->installed_ramp, theirs.installed_ramp);
    return true;
}

bool KT_Palette::remove(const KT_Palette& palette) {
    const KT_Palette other = palette;
    if (other.empty()) return false;
    const KT_Palette_Data& theirs = *other.body();
    for (int i = 0; i < KT_Palette_Data::entry_count; ++i) {
        const KT_Palette_Entry& e = body_->entries[i];
        const KT_Palette_Entry& t = theirs.entries[i];
        if (t.use_count > 0 && (e.use_count == 0 || !same_color(e.color, t.color))) return false;
    }
    KT_Palette_Data* mine = modify();
    mine->match_cache.clear();
    for (int i = 0; i < KT_Palette_Data::entry_count; ++i)
        if (theirs.entries[i].use_count > 0) --mine->entries[i].use_count;
    if (theirs.installed_cube) release(mine->installed_cube);
    if (theirs.installed_ramp) release(mine->installed_ramp);
    return true;
}

bool KT_Palette::is_equal_to(KT_Palette palette) const {
    // An empty handle has no entry in use.
    if (palette.shares_body_with(*this) || palette.empty()) return true;
    for (int i = 0; i < KT_Palette_Data::entry_count; ++i) {
        const KT_Palette_Entry& e = body_->entries[i];
        const KT_Palette_Entry& t = palette->entries[i];
        if (e.use_count > 0 && t.use_count > 0 && !same_color(e.color, t.color)) return false;
    }
    return true;
}

std::int32_t KT_Palette::first_available_block(int length) const {
    if (length < 1) return -1;
    int run = 0;
    for (int i = 0; i < KT_Palette_Data::entry_count; ++i) {
        run = body_->entries[i].use_count == 0 ? run + 1 : 0;
        if (run == length) return i - length + 1;
    }
    return -1;
}

void KT_Palette::entry_helper(int) {
    body_->match_cache.clear();
}
