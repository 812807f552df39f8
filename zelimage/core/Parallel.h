// Splits row work over a few threads; the pixel loops stay single-threaded code.
#pragma once

#include <algorithm>
#include <cstdint>
#include <thread>
#include <vector>

namespace zel {

// Calls work(begin, end) over [0, rows) in up to four slices; small jobs
// (below minRows * 2) stay on the calling thread.
template <class Work>
void ParallelRows(int32_t rows, int32_t minRows, Work work) {
    unsigned cores = std::thread::hardware_concurrency();
    int32_t slices = int32_t(std::min(4u, cores ? cores : 1u));
    slices = std::max(1, std::min(slices, rows / std::max(1, minRows)));
    if (slices <= 1) {
        work(0, rows);
        return;
    }
    std::vector<std::thread> helpers;
    const int32_t per = (rows + slices - 1) / slices;
    try {
        for (int32_t s = 1; s < slices; ++s) {
            int32_t begin = s * per, end = std::min(rows, begin + per);
            if (begin < end) helpers.emplace_back([=, &work] { work(begin, end); });
        }
    } catch (...) {
        // No thread to spare: the remaining slices run here.
        for (int32_t s = int32_t(helpers.size()) + 1; s < slices; ++s)
            work(s * per, std::min(rows, s * per + per));
    }
    work(0, std::min(rows, per));
    for (auto& t : helpers) t.join();
}

}  // namespace zel
