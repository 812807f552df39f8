// The one place that names the program's version.
#pragma once

#define VISTALS_VERSION_MAJOR 1
#define VISTALS_VERSION_MINOR 0
#define VISTALS_VERSION_PATCH 0
#define VISTALS_VERSION_RC 1,0,0,0
#define VISTALS_VERSION_TEXT "1.0.0"
// The version the About box writes over its picture.
#define VISTALS_ABOUT_VERSION_TEXT "3.00"
