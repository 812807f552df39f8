// Paths the tests need.
#pragma once

#include <string>
#include <vector>

// The program folder as installed by the build (build/dist).
std::string DistDir();
// The folder of the running test program.
std::string TestProgramFolder();
// A fresh, empty folder for one test's files.
std::string MakeTempFolder(const char* name);
// Writes `bytes` to `path`; false on failure.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// The whole file, read with every kind of sharing so that the reading never
// stands in a program's way; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// Names of the files (not folders) in `folder` matching `pattern` ("*",
// "vistals.bmp*"), sorted.
std::vector<std::string> FilesMatching(const std::string& folder, const char* pattern);
