#include "Files.h"

#include "Owned.h"

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

// The path for the wide calls: narrow paths stop at MAX_PATH, so a longer
// one gets the "\\?\" form. That form takes the path as it is, so the path
// is first made whole as the system resolves it ("\" separators, "." and
// ".." parts, absolute).
std::wstring ReadablePath(const std::string& path) {
    const int needed = MultiByteToWideChar(CP_ACP, 0, path.c_str(), int(path.size()), nullptr, 0);
    std::wstring wide(size_t(needed > 0 ? needed : 0), L'\0');
    if (needed > 0) MultiByteToWideChar(CP_ACP, 0, path.c_str(), int(path.size()), &wide[0], needed);
    if (wide.size() < MAX_PATH || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD length = size ? GetFullPathNameW(wide.c_str(), size, &full[0], nullptr) : 0;
    if (length == 0 || length >= size) return wide;
    full.resize(length);
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
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

Status WriteNewFile(const std::string& path, const FileProducer& produce, DWORD& error) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = GetLastError();
        return kErrWrite;
    }
    return produce([&file, &error](const uint8_t* data, size_t size) {
        if (WriteAll(file.get(), data, size)) return true;
        error = GetLastError();
        return false;
    });
}

// Moves the finished file over the old one. A reader that has the old one
// open for a moment (a viewer, a scanner, the desktop loading it) makes the
// move fail only while it reads; a file held open for longer still fails,
// after about a second.
bool MoveOver(const std::string& from, const std::string& to, DWORD& error) {
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        error = GetLastError();
        const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
                          error == ERROR_LOCK_VIOLATION;
        if (!held || attempt == 20) return false;
        Sleep(50);
    }
}

}  // namespace

Status ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& reason) {
    FileHandle file(CreateFileW(ReadablePath(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
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
    // One temporary name per writing thread, so two writers never share one.
    const std::string temporary = path + "." + std::to_string(GetCurrentThreadId()) + ".tmp";
    DWORD error = 0;
    Status status = WriteNewFile(temporary, produce, error);
    if (status == kOk && MoveOver(temporary, path, error)) return kOk;
    if (status == kOk) status = kErrWrite;
    DeleteFileA(temporary.c_str());
    if (status == kErrWrite) reason = SystemMessage(error);
    return status;
}

}  // namespace zel
