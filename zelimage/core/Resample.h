// Resizing: area averaging where an axis shrinks, Mitchell-Netravali
// bicubic where it grows. Separable, fixed point.
#pragma once

#include "Image.h"

namespace zel {

enum class ReduceFilter { kArea, kLanczos3 };

// A new 24-bit picture of exactly width x height; palette pictures are
// expanded first. The source is not changed.
Status Resize(const Image& source, int32_t width, int32_t height, Image& out,
              ReduceFilter reduceFilter = ReduceFilter::kArea);

}  // namespace zel
