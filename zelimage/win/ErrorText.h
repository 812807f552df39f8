// Messages a user understands, for every status the library answers.
#pragma once

#include "../core/Status.h"

#include <string>

namespace zel {

// "W x H" with the multiplication sign where the ANSI code page has one.
std::string SizeText(int64_t width, int64_t height);

// The general sentence for a status.
std::string StatusText(uint16_t status);

// The sentence for a status made precise by what the library knows about
// the failure ("Not enough memory for a picture of 9000 x 9000.").
std::string SizeRefusedText(int64_t width, int64_t height);
std::string NoMemoryText(int64_t width, int64_t height);
std::string WithReason(uint16_t status, const std::string& reason);

}  // namespace zel
