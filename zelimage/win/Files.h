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

// Writes so that the target's name never shows half a file: the previous
// file is taken aside and rewritten in its own blocks when nobody else has it
// open (the name is missing meanwhile), else a new file is written beside it
// and replaces it; as a last resort the target is written in place. A picture
// `produce` refuses (for want of memory, or a bad one) leaves the target as
// it was. kErrWrite with `reason` for the system's refusals, else whatever
// `produce` returned.
Status WriteWholeFile(const std::string& path, const FileProducer& produce, std::string& reason);

}  // namespace zel
