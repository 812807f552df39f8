// Results of the pixel core; the values are those of ImageStatus.
#pragma once

#include <cstdint>

namespace zel {

enum Status : uint16_t {
    kOk = 0,
    kErrOpen = 1,
    kErrDamaged = 2,
    kErrUnsupported = 3,
    kErrNoMemory = 4,
    kErrBadSize = 5,
    kErrWrite = 6,
    kNothingToDo = 7,
    kErrBadHandle = 8,
    kErrBadArgument = 9,
    kErrNotDecoded = 10,
    kErrNoWriter = 11,
};

}  // namespace zel
