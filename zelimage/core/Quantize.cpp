#include "Quantize.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <unordered_set>

namespace zel {

namespace {

int32_t StorageBits(int32_t bits) { return bits <= 1 ? 1 : (bits <= 4 ? 4 : 8); }

uint8_t Expand5(uint32_t v5) { return uint8_t((v5 * 255 + 15) / 31); }

// Distinct colours of a 24-bit picture, counting stops above `limit`.
bool CollectColors(const Image& image, size_t limit, std::vector<Rgb>& colors) {
    std::unordered_set<uint32_t> seen;
    for (int32_t y = 0; y < image.height; ++y) {
        const uint8_t* p = image.Row(y);
        for (int32_t x = 0; x < image.width; ++x, p += 3) {
            if (seen.insert(uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]).second && seen.size() > limit)
                return false;
        }
    }
    colors.clear();
    for (uint32_t c : seen) colors.push_back(Rgb{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    std::sort(colors.begin(), colors.end(), [](const Rgb& a, const Rgb& b) {
        return (a.r << 16 | a.g << 8 | a.b) < (b.r << 16 | b.g << 8 | b.b);
    });
    return true;
}

// ---- Median cut over a 5-5-5 histogram -------------------------------------

struct Bin {
    uint32_t count = 0;
    uint64_t r = 0, g = 0, b = 0;
};

struct Box {
    int lo[3], hi[3];   // inclusive, in 5-bit units, channel order r g b
    uint64_t count = 0;
};

int BinIndex(int r5, int g5, int b5) { return (r5 << 10) | (g5 << 5) | b5; }

void ShrinkBox(Box& box, const std::vector<Bin>& hist) {
    int lo[3] = {31, 31, 31}, hi[3] = {0, 0, 0};
    box.count = 0;
    for (int r = box.lo[0]; r <= box.hi[0]; ++r)
        for (int g = box.lo[1]; g <= box.hi[1]; ++g)
            for (int b = box.lo[2]; b <= box.hi[2]; ++b) {
                uint32_t c = hist[size_t(BinIndex(r, g, b))].count;
                if (!c) continue;
                box.count += c;
                int v[3] = {r, g, b};
                for (int k = 0; k < 3; ++k) { lo[k] = std::min(lo[k], v[k]); hi[k] = std::max(hi[k], v[k]); }
            }
    if (box.count)
        for (int k = 0; k < 3; ++k) { box.lo[k] = lo[k]; box.hi[k] = hi[k]; }
}

uint64_t CountSlice(const Box& box, int axis, int value, const std::vector<Bin>& hist) {
    uint64_t n = 0;
    int lo[3] = {box.lo[0], box.lo[1], box.lo[2]}, hi[3] = {box.hi[0], box.hi[1], box.hi[2]};
    lo[axis] = hi[axis] = value;
    for (int r = lo[0]; r <= hi[0]; ++r)
        for (int g = lo[1]; g <= hi[1]; ++g)
            for (int b = lo[2]; b <= hi[2]; ++b) n += hist[size_t(BinIndex(r, g, b))].count;
    return n;
}

bool SplitBox(Box& box, Box& other, const std::vector<Bin>& hist) {
    // Perceptual weights: green matters most, blue least.
    static const int kWeight[3] = {3, 4, 2};
    int axis = 0, best = -1;
    for (int k = 0; k < 3; ++k) {
        int span = (box.hi[k] - box.lo[k]) * kWeight[k];
        if (span > best) { best = span; axis = k; }
    }
    if (box.hi[axis] == box.lo[axis]) return false;
    uint64_t half = box.count / 2, running = 0;
    int cut = box.lo[axis];
    for (int v = box.lo[axis]; v < box.hi[axis]; ++v) {
        running += CountSlice(box, axis, v, hist);
        cut = v;
        if (running >= half) break;
    }
    other = box;
    box.hi[axis] = cut;
    other.lo[axis] = cut + 1;
    ShrinkBox(box, hist);
    ShrinkBox(other, hist);
    return true;
}

std::vector<Rgb> MedianCutPalette(const std::vector<Bin>& hist, int32_t colors) {
    std::vector<Box> boxes(1);
    boxes[0] = Box{{0, 0, 0}, {31, 31, 31}, 0};
    ShrinkBox(boxes[0], hist);
    while (int32_t(boxes.size()) < colors) {
        // Split the box holding the most pixels times its widest side.
        int chosen = -1;
        uint64_t bestScore = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            const Box& b = boxes[i];
            int side = std::max({b.hi[0] - b.lo[0], b.hi[1] - b.lo[1], b.hi[2] - b.lo[2]});
            uint64_t score = b.count * uint64_t(side);
            if (side > 0 && score > bestScore) { bestScore = score; chosen = int(i); }
        }
        if (chosen < 0) break;
        Box other;
        if (!SplitBox(boxes[size_t(chosen)], other, hist)) break;
        boxes.push_back(other);
    }
    std::vector<Rgb> palette;
    for (const Box& box : boxes) {
        uint64_t n = 0, r = 0, g = 0, b = 0;
        for (int ri = box.lo[0]; ri <= box.hi[0]; ++ri)
            for (int gi = box.lo[1]; gi <= box.hi[1]; ++gi)
                for (int bi = box.lo[2]; bi <= box.hi[2]; ++bi) {
                    const Bin& bin = hist[size_t(BinIndex(ri, gi, bi))];
                    n += bin.count; r += bin.r; g += bin.g; b += bin.b;
                }
        if (n) palette.push_back(Rgb{uint8_t(r / n), uint8_t(g / n), uint8_t(b / n)});
    }
    if (palette.empty()) palette.push_back(Rgb{});
    return palette;
}

std::vector<Bin> BuildHistogram(const Image& image) {
    std::vector<Bin> hist(32768);
    for (int32_t y = 0; y < image.height; ++y) {
        const uint8_t* p = image.Row(y);
        for (int32_t x = 0; x < image.width; ++x, p += 3) {
            Bin& bin = hist[size_t(BinIndex(p[2] >> 3, p[1] >> 3, p[0] >> 3))];
            ++bin.count; bin.r += p[2]; bin.g += p[1]; bin.b += p[0];
        }
    }
    return hist;
}

// ---- Nearest palette entry, cached on 6 bits per channel ----------------------

class NearestColor {
public:
    explicit NearestColor(const std::vector<Rgb>& palette) : palette_(palette), cache_(size_t(1) << 18, -1) {}

    uint8_t Find(int r, int g, int b) {
        int16_t& slot = cache_[size_t((r >> 2) << 12 | (g >> 2) << 6 | (b >> 2))];
        if (slot < 0) slot = int16_t(Search((r & ~3) + 2, (g & ~3) + 2, (b & ~3) + 2));
        return uint8_t(slot);
    }

private:
    int Search(int r, int g, int b) const {
        int best = 0;
        int32_t bestDistance = INT32_MAX;
        for (size_t i = 0; i < palette_.size(); ++i) {
            int dr = r - palette_[i].r, dg = g - palette_[i].g, db = b - palette_[i].b;
            int32_t d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
            if (d < bestDistance) { bestDistance = d; best = int(i); }
        }
        return best;
    }

    const std::vector<Rgb>& palette_;
    std::vector<int16_t> cache_;
};

uint8_t ClampByte(int v) { return uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v)); }

// Rounding errors (in 16ths) carried to the pixels still to come: the
// current row and the one below, with a pixel of margin on either side.
class ErrorRows {
public:
    explicit ErrorRows(int32_t width)
        : stride_(size_t(width + 2) * 3), rows_(stride_ * 2, 0), current_(rows_.data()), next_(current_ + stride_) {}
    // The three channel slots of pixel x in the current row and the next.
    int32_t* Current(int32_t x) { return current_ + size_t(x + 1) * 3; }
    int32_t* Below(int32_t x) { return next_ + size_t(x + 1) * 3; }
    void StartRow() { std::fill(next_, next_ + stride_, 0); }
    void EndRow() { std::swap(current_, next_); }

private:
    size_t stride_;
    std::vector<int32_t> rows_;
    int32_t* current_;
    int32_t* next_;
};

// Maps every pixel to a palette index; with diffusion the rounding error
// of each pixel is spread to its neighbours (Floyd-Steinberg, serpentine).
void MapToPalette(const Image& in, Image& out, bool diffuse) {
    NearestColor nearest(out.palette);
    const int32_t w = in.width;
    ErrorRows errors(w);
    for (int32_t y = 0; y < in.height; ++y) {
        const uint8_t* src = in.Row(y);
        uint8_t* dst = out.Row(y);
        errors.StartRow();
        const bool leftToRight = (y % 2) == 0;
        for (int32_t i = 0; i < w; ++i) {
            const int32_t x = leftToRight ? i : w - 1 - i;
            const uint8_t* p = src + size_t(x) * 3;
            int32_t* e = errors.Current(x);
            int r = p[2], g = p[1], b = p[0];
            if (diffuse) {
                r = ClampByte(r + (e[0] >> 4)); g = ClampByte(g + (e[1] >> 4)); b = ClampByte(b + (e[2] >> 4));
            }
            uint8_t index = nearest.Find(r, g, b);
            dst[x] = index;
            if (!diffuse) continue;
            const Rgb& c = out.palette[index];
            const int err[3] = {r - c.r, g - c.g, b - c.b};
            const int step = leftToRight ? 3 : -3;
            int32_t* ahead = e + step;
            int32_t* below = errors.Below(x);
            for (int k = 0; k < 3; ++k) {
                ahead[k] += err[k] * 7;
                below[k - step] += err[k] * 3;
                below[k] += err[k] * 5;
                below[k + step] += err[k] * 1;
            }
        }
        errors.EndRow();
    }
}

Status ReduceToHighColor(const Image& in, bool diffuse, Image& out) {
    Image result;
    Status status = AllocateImage(result, in.width, in.height, 24);
    if (status != kOk) return status;
    result.bits = 16;
    const int32_t w = in.width;
    ErrorRows errors(w);
    for (int32_t y = 0; y < in.height; ++y) {
        const uint8_t* src = in.Row(y);
        uint8_t* dst = result.Row(y);
        errors.StartRow();
        for (int32_t x = 0; x < w; ++x) {
            int32_t* e = errors.Current(x);
            int32_t* below = errors.Below(x);
            for (int k = 0; k < 3; ++k) {
                int v = diffuse ? ClampByte(src[x * 3 + k] + (e[k] >> 4)) : src[x * 3 + k];
                uint32_t v5 = uint32_t((v * 31 + 127) / 255);
                uint8_t q = Expand5(v5);
                dst[x * 3 + k] = q;
                if (!diffuse) continue;
                int err = v - q;
                e[k + 3] += err * 7;
                below[k - 3] += err * 3;
                below[k] += err * 5;
                below[k + 3] += err;
            }
        }
        errors.EndRow();
    }
    out = std::move(result);
    return kOk;
}

Status CopyUnchanged(const Image& source, Image& out) {
    try {
        out = source;
    } catch (const std::bad_alloc&) {
        return kErrNoMemory;
    }
    return kNothingToDo;
}

}  // namespace

std::vector<Rgb> FixedPalette(int32_t colors) {
    std::vector<Rgb> palette;
    if (colors <= 2) {
        palette = {Rgb{0, 0, 0}, Rgb{255, 255, 255}};
    } else if (colors < 16) {
        for (int32_t i = 0; i < colors; ++i) {
            uint8_t v = uint8_t(i * 255 / (colors - 1));
            palette.push_back(Rgb{v, v, v});
        }
    } else if (colors < 256) {
        palette = {{0, 0, 0}, {128, 0, 0}, {0, 128, 0}, {128, 128, 0}, {0, 0, 128}, {128, 0, 128},
                   {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},
                   {255, 255, 0}, {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    } else {
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b) palette.push_back(Rgb{uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51)});
        for (int i = 1; i <= 40; ++i) {
            uint8_t v = uint8_t(i * 255 / 41);
            palette.push_back(Rgb{v, v, v});
        }
    }
    if (int32_t(palette.size()) > colors) palette.resize(size_t(std::max(colors, 2)));
    return palette;
}

Status ReduceColors(const Image& source, int32_t bits, int32_t colors, ReduceMethod method, Image& out) {
    if (source.Empty() || bits < 1 || bits > 32) return kErrBadArgument;
    if (method != ReduceMethod::kFixedPalette && method != ReduceMethod::kOptimizedPalette &&
        method != ReduceMethod::kOptimizedDiffused)
        return kErrBadArgument;
    try {
        if (bits >= 24) return CopyUnchanged(source, out);
        if (bits > 8) {
            if (source.IsIndexed() || source.bits == 16) return CopyUnchanged(source, out);
            return ReduceToHighColor(source, method != ReduceMethod::kFixedPalette, out);
        }
        const int32_t limit = 1 << bits;
        const int32_t wanted = (colors < 2 || colors > limit) ? limit : colors;
        if (source.IsIndexed() && source.bits <= StorageBits(bits) && int32_t(source.palette.size()) <= wanted)
            return CopyUnchanged(source, out);

        Image trueColor;
        Status status = ToTrueColor(source, trueColor);
        if (status != kOk) return status;
        Image result;
        status = AllocateImage(result, source.width, source.height, StorageBits(bits));
        if (status != kOk) return status;

        std::vector<Rgb> exact;
        bool diffuse = false;
        if (method != ReduceMethod::kFixedPalette && CollectColors(trueColor, size_t(wanted), exact)) {
            result.palette = exact;  // few colours: every one kept exactly
        } else if (method == ReduceMethod::kFixedPalette) {
            result.palette = FixedPalette(wanted);
        } else {
            result.palette = MedianCutPalette(BuildHistogram(trueColor), wanted);
            diffuse = method == ReduceMethod::kOptimizedDiffused;
        }
        MapToPalette(trueColor, result, diffuse);
        out = std::move(result);
        return kOk;
    } catch (const std::bad_alloc&) {
        return kErrNoMemory;
    }
}

}  // namespace zel
