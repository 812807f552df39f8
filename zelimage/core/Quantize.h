// Colour reduction: an optimised palette with Floyd-Steinberg error
// diffusion, or a fixed palette with plain nearest-colour mapping.
#pragma once

#include "Image.h"

namespace zel {

enum class ReduceMethod { kFixedPalette = 0, kOptimizedPalette = 1, kOptimizedDiffused = 2 };

// Brings the picture down to `bits` per pixel (1..24; more counts as 24)
// and at most `colors` palette entries. When the picture already fits,
// `out` is an unchanged copy and the answer is kNothingToDo.
// 9..23 bits give 5-5-5 high colour; 1..8 bits a palette picture stored
// at 1, 4 or 8 bits.
Status ReduceColors(const Image& source, int32_t bits, int32_t colors, ReduceMethod method, Image& out);

// The fixed palette used for `colors` entries (black and white, the 16
// VGA colours, a 6x6x6 cube with greys, or a grey ramp).
std::vector<Rgb> FixedPalette(int32_t colors);

}  // namespace zel
