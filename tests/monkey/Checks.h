// What must hold after every action of the random-action run. Each check
// gives the fault it found, or nothing.
#pragma once

#include "ProgramUnderTest.h"

#include <string>

// One Select Background Images dialog and one Options sheet at most.
std::string WindowFault(const Inventory& windows);
// The sets that the next start would read are whole: "SetCount" names
// exactly the set keys there are, and each "ImageCount" its pictures.
std::string StoredSetsFault();
// The wallpaper file, when there is one, is a whole BMP.
std::string WallpaperFault(const std::string& path);
