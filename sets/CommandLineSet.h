// The image set built from the pictures named on the command line.
#pragma once

#include <windows.h>

// Name of the one set of a command-line list.
extern const char kCommandLineSetName[];

// Builds a list holding one set, "Command Line Images", from the arguments
// after the program name: plain arguments as typed, wildcard patterns
// expanded to the full paths they match. TRUE when it holds a picture; the
// list is then TheImageSetList (replacing any). FALSE leaves the pointer
// alone; an allocation failure is reported with IDP_OUT_OF_MEMORY.
BOOL LoadCommandLineSet(int argc, char* const argv[]);
