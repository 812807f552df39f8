#include "Resample.h"

#include "Parallel.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace zel {

namespace {

constexpr int kWeightBits = 14;
constexpr int32_t kWeightOne = 1 << kWeightBits;

// For one output index: the first source index and its taps' weights.
struct Span {
    int32_t first = 0;
    int32_t count = 0;
    size_t weightOffset = 0;
};

struct FilterTable {
    std::vector<Span> spans;
    std::vector<int16_t> weights;
};

double Mitchell(double x) {
    constexpr double B = 1.0 / 3, C = 1.0 / 3;
    x = std::fabs(x);
    if (x < 1) return ((12 - 9 * B - 6 * C) * x * x * x + (-18 + 12 * B + 6 * C) * x * x + (6 - 2 * B)) / 6;
    if (x < 2) return ((-B - 6 * C) * x * x * x + (6 * B + 30 * C) * x * x + (-12 * B - 48 * C) * x + (8 * B + 24 * C)) / 6;
    return 0;
}

double Sinc(double x) {
    if (std::fabs(x) < 1e-9) return 1;
    const double px = 3.14159265358979323846 * x;
    return std::sin(px) / px;
}

double Lanczos3(double x) { return std::fabs(x) < 3 ? Sinc(x) * Sinc(x / 3) : 0; }

// Weights of one output sample, normalised so they add up to exactly one.
void AppendNormalised(FilterTable& table, Span& span, const std::vector<double>& raw) {
    double sum = 0;
    for (double w : raw) sum += w;
    if (sum == 0) sum = 1;
    span.weightOffset = table.weights.size();
    int32_t total = 0;
    size_t largest = 0;
    for (size_t k = 0; k < raw.size(); ++k) {
        int32_t w = int32_t(std::lround(raw[k] / sum * kWeightOne));
        table.weights.push_back(int16_t(w));
        total += w;
        if (raw[k] > raw[largest]) largest = k;
    }
    table.weights[span.weightOffset + largest] = int16_t(table.weights[span.weightOffset + largest] + (kWeightOne - total));
}

FilterTable BuildTable(int32_t sourceSize, int32_t targetSize, ReduceFilter reduceFilter) {
    FilterTable table;
    table.spans.resize(size_t(targetSize));
    const double scale = double(targetSize) / sourceSize;
    const bool shrinking = scale < 1;
    std::vector<double> raw;
    for (int32_t i = 0; i < targetSize; ++i) {
        const double center = (i + 0.5) / scale;  // in source pixel units
        Span& span = table.spans[size_t(i)];
        raw.clear();
        if (shrinking && reduceFilter == ReduceFilter::kArea) {
            // Exact coverage of each source pixel by the output pixel's footprint.
            const double left = center - 0.5 / scale, right = center + 0.5 / scale;
            int32_t first = std::max(0, int32_t(std::floor(left)));
            int32_t last = std::min(sourceSize - 1, int32_t(std::ceil(right)) - 1);
            span.first = first;
            for (int32_t j = first; j <= last; ++j)
                raw.push_back(std::max(0.0, std::min(right, j + 1.0) - std::max(left, double(j))));
        } else {
            const double support = shrinking ? 3 / scale : 2;
            const double stretch = shrinking ? scale : 1;
            int32_t first = std::max(0, int32_t(std::floor(center - support)));
            int32_t last = std::min(sourceSize - 1, int32_t(std::ceil(center + support)));
            span.first = first;
            for (int32_t j = first; j <= last; ++j) {
                double d = (j + 0.5 - center) * stretch;
                raw.push_back(shrinking ? Lanczos3(d) : Mitchell(d));
            }
        }
        // Drop zero weights at both ends so the loops stay short.
        size_t begin = 0, end = raw.size();
        while (end > begin + 1 && raw[end - 1] == 0) --end;
        while (begin + 1 < end && raw[begin] == 0) ++begin;
        span.first += int32_t(begin);
        std::vector<double> trimmed(raw.begin() + ptrdiff_t(begin), raw.begin() + ptrdiff_t(end));
        span.count = int32_t(trimmed.size());
        AppendNormalised(table, span, trimmed);
    }
    return table;
}

inline uint8_t Clamp8(int32_t v) {
    v = (v + (1 << (kWeightBits - 1))) >> kWeightBits;
    return uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
}

void ResizeRows(const Image& in, Image& out, const FilterTable& table) {
    ParallelRows(in.height, 64, [&](int32_t begin, int32_t end) {
        for (int32_t y = begin; y < end; ++y) {
            const uint8_t* src = in.Row(y);
            uint8_t* dst = out.Row(y);
            for (int32_t x = 0; x < out.width; ++x, dst += 3) {
                const Span& s = table.spans[size_t(x)];
                const int16_t* w = table.weights.data() + s.weightOffset;
                const uint8_t* p = src + size_t(s.first) * 3;
                int32_t b = 0, g = 0, r = 0;
                for (int32_t k = 0; k < s.count; ++k, p += 3) {
                    b += p[0] * w[k]; g += p[1] * w[k]; r += p[2] * w[k];
                }
                dst[0] = Clamp8(b); dst[1] = Clamp8(g); dst[2] = Clamp8(r);
            }
        }
    });
}

void ResizeColumns(const Image& in, Image& out, const FilterTable& table) {
    const size_t rowBytes = size_t(out.width) * 3;
    ParallelRows(out.height, 32, [&](int32_t begin, int32_t end) {
        std::vector<int32_t> sums(rowBytes);
        for (int32_t y = begin; y < end; ++y) {
            const Span& s = table.spans[size_t(y)];
            const int16_t* w = table.weights.data() + s.weightOffset;
            std::fill(sums.begin(), sums.end(), 0);
            for (int32_t k = 0; k < s.count; ++k) {
                const uint8_t* src = in.Row(s.first + k);
                const int32_t weight = w[k];
                int32_t* acc = sums.data();
                for (size_t i = 0; i < rowBytes; ++i) acc[i] += src[i] * weight;
            }
            uint8_t* dst = out.Row(y);
            for (size_t i = 0; i < rowBytes; ++i) dst[i] = Clamp8(sums[i]);
        }
    });
}

Status ResizeWidth(const Image& in, int32_t width, Image& out, ReduceFilter filter) {
    Status status = AllocateImageForOverwrite(out, width, in.height, 24);
    if (status != kOk) return status;
    ResizeRows(in, out, BuildTable(in.width, width, filter));
    return kOk;
}

Status ResizeHeight(const Image& in, int32_t height, Image& out, ReduceFilter filter) {
    Status status = AllocateImageForOverwrite(out, in.width, height, 24);
    if (status != kOk) return status;
    ResizeColumns(in, out, BuildTable(in.height, height, filter));
    return kOk;
}

}  // namespace

Status Resize(const Image& source, int32_t width, int32_t height, Image& out, ReduceFilter reduceFilter) {
    Status status = CheckImageSize(width, height);
    if (status != kOk) return status;
    if (source.Empty()) return kErrBadArgument;
    try {
        Image trueColor;
        const Image* in = &source;
        if (source.IsIndexed()) {
            status = ToTrueColor(source, trueColor);
            if (status != kOk) return status;
            in = &trueColor;
        }
        // Width first or height first, whichever touches fewer samples.
        const double widthFirst = double(in->height) * width + double(height) * width;
        const double heightFirst = double(height) * in->width + double(height) * width;
        Image middle, result;
        if (width == in->width && height == in->height) {
            result = *in;
        } else if (width == in->width) {
            status = ResizeHeight(*in, height, result, reduceFilter);
        } else if (height == in->height) {
            status = ResizeWidth(*in, width, result, reduceFilter);
        } else if (widthFirst <= heightFirst) {
            status = ResizeWidth(*in, width, middle, reduceFilter);
            if (status == kOk) status = ResizeHeight(middle, height, result, reduceFilter);
        } else {
            status = ResizeHeight(*in, height, middle, reduceFilter);
            if (status == kOk) status = ResizeWidth(middle, width, result, reduceFilter);
        }
        if (status != kOk) return status;
        result.bits = 24;
        out = std::move(result);
        return kOk;
    } catch (const std::bad_alloc&) {
        return kErrNoMemory;
    }
}

}  // namespace zel
