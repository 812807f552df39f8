// The program's version. It is written once, as the project version in the
// top CMakeLists.txt; the build generates VistalsVersion.h from it.
#pragma once

#include "VistalsVersion.h"

// The version the About box writes over its picture.
#define VISTALS_ABOUT_VERSION_TEXT VISTALS_VERSION_TEXT
