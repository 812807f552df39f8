#include "ErrorText.h"

#include <windows.h>

namespace zel {

std::string SizeText(int64_t width, int64_t height) {
    const char* times = GetACP() == 1252 ? " \xD7 " : " x ";
    return std::to_string(width) + times + std::to_string(height);
}

std::string StatusText(uint16_t status) {
    switch (status) {
    case kOk: return "No error.";
    case kErrOpen: return "The file could not be opened.";
    case kErrDamaged: return "The picture is damaged or truncated.";
    case kErrUnsupported: return "The format is not supported.";
    case kErrNoMemory: return "Not enough memory for the picture.";
    case kErrBadSize: return "The picture's size cannot be used.";
    case kErrWrite: return "The picture file could not be written.";
    case kNothingToDo: return "The picture already has no more colours than asked for; it was copied unchanged.";
    case kErrBadHandle: return "The picture is no longer available.";
    case kErrBadArgument: return "The image library was asked for something it cannot do.";
    case kErrNotDecoded: return "The picture has not been read yet.";
    case kErrNoWriter: return "The picture cannot be written in that format.";
    default: return "Unknown image library error " + std::to_string(status) + ".";
    }
}

std::string SizeRefusedText(int64_t width, int64_t height) {
    if (width <= 0 || height <= 0)
        return "The picture's size " + SizeText(width, height) + " has no pixels.";
    return "The picture is too large to be handled: " + SizeText(width, height) + " pixels.";
}

std::string NoMemoryText(int64_t width, int64_t height) {
    return "Not enough memory for a picture of " + SizeText(width, height) + ".";
}

std::string WithReason(uint16_t status, const std::string& reason) {
    std::string text = StatusText(status);
    if (reason.empty()) return text;
    text.pop_back();  // the full stop
    return text + " (" + reason + ").";
}

}  // namespace zel
