// Whole-file reading and writing for the library's pictures.
#pragma once

#include "../core/Status.h"

#include <string>
#include <vector>

namespace zel {

// Refuses files over 1 GiB; `reason` gets the system's words on failure.
Status ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& reason);

// Writes beside the target first and then replaces it, so that a reader
// never sees half a file; falls back to writing in place.
Status WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& reason);

}  // namespace zel
