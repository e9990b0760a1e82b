// Which floating-point width a matrix or camera body holds.
#pragma once

#include <cstdint>

enum class KT_Precision : std::int32_t { Single = 0, Double = 1 };
