// Helpers shared by the image set tests.
#pragma once

#include "settings/Settings.h"
#include "sets/ImageSetList.h"

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

// A set holding the given paths.
inline std::unique_ptr<CImageSet> MakeSet(const char* name, std::initializer_list<const char*> paths) {
    auto set = std::make_unique<CImageSet>(name);
    for (const char* path : paths) set->AddEntry(std::make_unique<CImageEntry>(path));
    return set;
}

// A set of `count` pictures named p0, p1, ...
inline std::unique_ptr<CImageSet> MakeNumberedSet(const char* name, int count) {
    auto set = std::make_unique<CImageSet>(name);
    for (int i = 0; i < count; ++i) set->AddEntry(std::make_unique<CImageEntry>(("p" + std::to_string(i)).c_str()));
    return set;
}

// Restores the process-wide settings and set list state after a test.
struct SetsStateGuard {
    SetsStateGuard() { Reset(); }
    ~SetsStateGuard() { Reset(); }
    static void Reset() {
        Settings = SettingsRecord();
        delete TheImageSetList;
        TheImageSetList = nullptr;
    }
};

// One of two different lists (variant 0 or 1) of a few hundred sets, with
// marks and positions: what a save of the user's whole collection writes.
std::unique_ptr<CImageSetList> MakeLargeList(int variant);
// The positions, names, paths and marks of a list, one line each: two lists
// hold the same sets exactly when their descriptions are equal.
std::string DescribeList(const CImageSetList& list);

// Everything below HKCU\Software\Corvane Software\Vistals\Image Sets, one
// line per key and value, in a fixed order: two dumps are equal exactly when
// the stored data is.
std::string DumpImageSets();
// The same for one key below "Image Sets" ("Set2"), with paths relative to it.
std::string DumpStoredKey(const std::string& below);
