#include "appearance/shadow_map.h"

#include <algorithm>

KT_Shadow_Map_Data::KT_Shadow_Map_Data(std::int32_t width, std::int32_t height)
    : depth_image_(new KT_Shadow_Depth_Image_Data(std::max(width, 0), std::max(height, 0))) {}

KT_Shadow_Map_Data::KT_Shadow_Map_Data(const KT_Shadow_Map_Data& other)
    : KT_Counted(other), light_position_(other.light_position_), light_(other.light_),
      depth_image_(other.depth_image_), needs_render_(other.needs_render_) {}

KT_Shadow_Map::KT_Shadow_Map()
    : KT_Shadow_Map(KT_Shadow_Map_Data::default_size, KT_Shadow_Map_Data::default_size) {}

KT_Shadow_Map::KT_Shadow_Map(std::int32_t width, std::int32_t height)
    : KT_Pointer<KT_Shadow_Map_Data>(new KT_Shadow_Map_Data(width, height)) {}
