// The current user's registry as the tests read and write it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

// Below HKEY_CURRENT_USER: the program's settings, its image sets, and the
// desktop's wallpaper values.
constexpr char kProgramKey[] = "Software\\Corvane Software\\Vistals";
constexpr char kImageSetsKey[] = "Software\\Corvane Software\\Vistals\\Image Sets";
constexpr char kDesktopKey[] = "Control Panel\\Desktop";

// A REG_DWORD value; none when it is missing or of another type.
std::optional<DWORD> StoredDword(const std::string& key, const char* name);
// A REG_SZ value; none when it is missing or of another type.
std::optional<std::string> StoredText(const std::string& key, const char* name);
// Writes a value of any type, creating the key; false on failure.
bool StoreValue(const std::string& key, const char* name, DWORD type, const void* data, DWORD size);
bool StoreDword(const std::string& key, const char* name, DWORD value);
bool StoreText(const std::string& key, const char* name, const std::string& text);

// Named sets of picture paths, stored as the program stores them: the first
// set current, no picture of it shown yet.
using NamedSets = std::vector<std::pair<std::string, std::vector<std::string>>>;
void StoreImageSets(const NamedSets& sets);

// A wallpaper value of the desktop ("Wallpaper", "TileWallpaper", ...).
inline std::optional<std::string> DesktopValue(const char* name) { return StoredText(kDesktopKey, name); }
