// The image set built from the pictures named on the command line.
#pragma once

#include <windows.h>

// Name of the one set of a command-line list.
extern const char kCommandLineSetName[];

enum class CommandLineSetResult { Loaded, NoPictures, OutOfMemory };

// Builds a list holding one set, "Command Line Images", from the arguments
// after the program name: plain arguments as typed, wildcard patterns
// expanded to the full paths they match. Loaded when it holds a picture; the
// list is then TheImageSetList (replacing any). Otherwise the pointer is left
// alone, and the caller tells the user of a lack of memory.
CommandLineSetResult LoadCommandLineSet(int argc, char* const argv[]);
