// Binding of the image codec library ZELIMAGE.DLL: the process-wide module,
// interface object, format table and open-file filter, set once at start-up
// and released at shutdown. Workers only read them.
#pragma once

#include "framework/DynamicLibrary.h"
#include "ImageLibrary.h"

#include <string>
#include <vector>

// The loaded library, or none. Only UnbindImageLibrary unloads it, never a
// global destructor: a worker still running at exit may be inside it.
extern DynamicLibrary& CodecModule;
extern ImageLibrary* TheImageLibrary;       // its interface object, or null
extern int16_t FormatCount;                 // formats the library reports
extern std::vector<FormatInfo> FormatTable; // FormatCount records, zero-filled before use
extern std::vector<char> OpenFileFilter;    // pairs of NUL-terminated texts, ending in an empty one
extern int16_t BmpFormatIndex;              // the BMP writer's index in FormatTable

// Loads "<program folder>\ZELIMAGE\ZELIMAGE.DLL" and builds the table and
// filter; reports its own failures in message boxes.
void BindImageLibrary();
// The same below a given folder (the program's, or a test's).
void BindImageLibraryAt(const std::string& folder);
// Frees the filter and the table and unloads the library; only while no
// worker runs.
void UnbindImageLibrary();

// "<folder of programFileName>\ZELIMAGE\ZELIMAGE.DLL"; "." when the name has no "\".
std::string CodecLibraryPath(const std::string& programFileName);

// The open-file filter for a format table (records with status 0 and the
// readable flag count), sized to whatever the texts need.
struct FormatQuery {
    virtual ImageStatus Query(int32_t index, FormatInfo* info) = 0;
};
std::vector<char> BuildOpenFileFilter(int16_t formatCount, FormatInfo* table, FormatQuery& query);
// Index of the first writable record whose tag begins with "BMP", or -1.
int FindBmpWriter(const std::vector<FormatInfo>& table);
