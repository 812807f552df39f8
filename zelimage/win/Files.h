// Whole-file reading and writing for the library's pictures.
#pragma once

#include "../core/Bmp.h"
#include "../core/Status.h"

#include <functional>

#include <string>
#include <vector>

namespace zel {

// Refuses files over 1 GiB; `reason` gets the system's words on failure.
Status ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& reason);

// Makes the file's bytes, handing them to the sink piece by piece.
using FileProducer = std::function<Status(const ByteSink& sink)>;

// Writes a new file beside the target and moves it over the target, so the
// target's name always shows a whole file: the old one until the new one is
// complete. Any failure leaves the target as it was and no temporary file.
// kErrWrite with `reason` for the system's refusals, else whatever `produce`
// returned.
Status WriteWholeFile(const std::string& path, const FileProducer& produce, std::string& reason);

}  // namespace zel
