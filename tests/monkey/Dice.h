// The random-action run's one source of chance: the same seed gives the
// same choices.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

class Dice {
public:
    explicit Dice(uint32_t seed) : engine_(seed) {}

    // 0 .. n-1; 0 when n is 0.
    size_t Below(size_t n) { return n ? engine_() % n : 0; }
    bool Percent(unsigned percent) { return Below(100) < percent; }
    template <class T>
    const T& Pick(const std::vector<T>& items) { return items[Below(items.size())]; }

private:
    std::mt19937 engine_;  // the same sequence on every platform
};
