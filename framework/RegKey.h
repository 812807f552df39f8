// One registry key, move-only. Opening goes into a new handle that replaces
// the old one only on success; ask for the least access the work needs.
//
//     RegKey key;
//     if (key.Open(HKEY_CURRENT_USER, "Control Panel\\Desktop", KEY_SET_VALUE))
//         key.SetString("Wallpaper", path);
//
// Types are not checked on reading: a DWORD is whatever 4 bytes are stored,
// a string whatever is there.
#pragma once

#include "CString.h"
#include "Handle.h"

#include <string>
#include <vector>

class RegKey {
public:
    RegKey() noexcept = default;
    explicit RegKey(HKEY key) noexcept : key_(key) {}

    [[nodiscard]] bool Open(HKEY parent, const char* path, REGSAM access);
    // Opens, creating the key (and any missing keys on its path) first.
    [[nodiscard]] bool Create(HKEY parent, const char* path, REGSAM access);

    HKEY get() const noexcept { return key_.get(); }
    explicit operator bool() const noexcept { return bool(key_); }
    void reset() noexcept { key_.reset(); }
    // For APIs that hand a new key back through a pointer.
    HKEY* put() noexcept { return key_.put(); }

    [[nodiscard]] bool QueryDword(const char* name, DWORD& value) const;
    // A string of any length; the text ends at the first zero.
    [[nodiscard]] bool QueryString(const char* name, CString& value) const;
    bool SetDword(const char* name, DWORD value);
    // REG_SZ including the terminating zero.
    bool SetString(const char* name, const char* value);
    bool SetValue(const char* name, DWORD type, const void* data, DWORD size);

    std::vector<std::string> SubkeyNames() const;
    // Removes the sub-key `name` with everything below it.
    bool DeleteTree(const char* name) const;
    // Gives the sub-key `name`, with everything below it, the free name
    // `newName`: one registry operation, so no one ever sees half of it.
    bool RenameSubkey(const char* name, const char* newName) const;
    // Copies the values and sub-keys of the sub-key `name` into `destination`.
    bool CopyTree(const char* name, const RegKey& destination) const;

private:
    Owned<handle_traits::RegKey> key_;
};
