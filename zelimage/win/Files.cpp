#include "Files.h"

#include "framework/Handle.h"

#include <algorithm>
#include <new>

namespace zel {

namespace {

constexpr uint64_t kMaxFileBytes = uint64_t(1) << 30;

std::string SystemMessage(DWORD error) {
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = n && text ? std::string(text, n) : "system error " + std::to_string(error);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ' ||
                                message.back() == '.'))
        message.pop_back();
    return message;
}

bool WriteAll(HANDLE file, const uint8_t* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        DWORD chunk = DWORD(std::min<size_t>(size - done, 1u << 24)), written = 0;
        if (!WriteFile(file, data + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

// Hands what `produce` makes to an open file; `written` counts the bytes.
Status WriteTo(HANDLE file, const FileProducer& produce, DWORD& error, uint64_t& written) {
    written = 0;
    return produce([file, &error, &written](const uint8_t* data, size_t size) {
        if (!WriteAll(file, data, size)) {
            error = GetLastError();
            return false;
        }
        written += size;
        return true;
    });
}

Status WriteNewFile(const std::string& path, const FileProducer& produce, DWORD& error) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = GetLastError();
        return kErrWrite;
    }
    uint64_t written = 0;
    return WriteTo(file.get(), produce, error, written);
}

enum class Rewrite { kDone, kNotTried, kRefused, kFailed };

// Replacing a file frees its disk blocks, which takes longer than writing a
// new one; so the previous file is rewritten in its own blocks when it can
// be. It is taken aside under the temporary name, so that its name never
// shows half a file (it shows none meanwhile), and rewritten only through a
// handle nobody else shares, so that no reader sees it change.
//   kNotTried: something was in the way (no old file or not a plain one, open
//              elsewhere, a stale temporary file, a first write refused); the
//              old file is as it was, or replaced by one another writer made
//              meanwhile.
//   kRefused:  `produce` failed before writing anything (then `status`); the
//              old file is back as it was.
//   kFailed:   writing failed part way (`status`, `error`); no file is left.
// Only a plain file with one name is ours to rewrite: through a link we
// would change what another name shows.
bool IsPlainFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_READONLY));
}

bool HasOneName(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info = {};
    return GetFileInformationByHandle(file, &info) && info.nNumberOfLinks == 1;
}

Rewrite RewriteOldFile(const std::string& path, const std::string& temporary, const FileProducer& produce,
                       DWORD& error, Status& status) {
    if (!IsPlainFile(path) || !MoveFileExA(path.c_str(), temporary.c_str(), 0)) return Rewrite::kNotTried;
    FileHandle file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (file && !HasOneName(file.get())) file.reset();
    const bool opened = bool(file);
    bool touched = false;
    status = kOk;
    if (opened) {
        uint64_t written = 0;
        status = WriteTo(file.get(), produce, error, written);
        touched = written > 0;
        if (status == kOk) {
            touched = true;
            if (!SetEndOfFile(file.get())) {
                error = GetLastError();
                status = kErrWrite;
            }
        }
        file.reset();
        if (status == kOk) {
            if (MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return Rewrite::kDone;
            error = GetLastError();
            status = kErrWrite;
        }
    }
    if (!touched) {
        // Untouched, it goes back, unless a new file took the name meanwhile.
        if (!MoveFileExA(temporary.c_str(), path.c_str(), 0)) DeleteFileA(temporary.c_str());
        return opened && status != kOk && status != kErrWrite ? Rewrite::kRefused : Rewrite::kNotTried;
    }
    DeleteFileA(temporary.c_str());
    return Rewrite::kFailed;
}

}  // namespace

Status ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& reason) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        reason = SystemMessage(GetLastError());
        return kErrOpen;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size)) {
        reason = SystemMessage(GetLastError());
        return kErrOpen;
    }
    if (uint64_t(size.QuadPart) > kMaxFileBytes) {
        reason = "the file is larger than 1 GB";
        return kErrBadSize;
    }
    if (size.QuadPart == 0) {
        reason = "the file is empty";
        return kErrDamaged;
    }
    try {
        bytes.resize(size_t(size.QuadPart));
    } catch (const std::bad_alloc&) {
        reason = "the file does not fit in memory";
        return kErrNoMemory;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = DWORD(std::min<size_t>(bytes.size() - done, 1u << 24)), got = 0;
        if (!ReadFile(file.get(), bytes.data() + done, chunk, &got, nullptr)) {
            reason = SystemMessage(GetLastError());
            return kErrOpen;
        }
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
    return kOk;
}

Status WriteWholeFile(const std::string& path, const FileProducer& produce, std::string& reason) {
    const std::string temporary = path + "." + std::to_string(GetCurrentThreadId()) + ".tmp";
    DWORD error = 0;
    Status status = kOk;
    switch (RewriteOldFile(path, temporary, produce, error, status)) {
    case Rewrite::kDone: return kOk;
    case Rewrite::kRefused: return status;
    case Rewrite::kFailed: if (status != kErrWrite) return status; break;
    case Rewrite::kNotTried: break;
    }
    status = WriteNewFile(temporary, produce, error);
    if (status == kOk && MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return kOk;
    DeleteFileA(temporary.c_str());
    if (status != kOk && status != kErrWrite) return status;
    status = WriteNewFile(path, produce, error);
    if (status == kErrWrite) reason = SystemMessage(error);
    return status;
}

}  // namespace zel
