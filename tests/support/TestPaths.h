// Paths the tests need.
#pragma once

#include <string>

// The program folder as installed by the build (build/dist).
std::string DistDir();
// A fresh, empty folder for one test's files.
std::string MakeTempFolder(const char* name);
// Writes `bytes` to `path`; false on failure.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
