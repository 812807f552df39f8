#include "sets/CommandLineSet.h"

#include "framework/CFileFind.h"
#include "sets/ImageSetList.h"

#include <cstring>
#include <memory>
#include <new>

const char kCommandLineSetName[] = "Command Line Images";

namespace {

bool IsPattern(const char* argument) { return std::strpbrk(argument, "*?") != nullptr; }

// Every match in the order the search returns it; folders and the dot
// entries included, as the user's pattern asked for them.
void AddMatches(CImageSet& set, const char* pattern) {
    CFileFind finder;
    for (BOOL more = finder.FindFile(pattern); more;) {
        more = finder.FindNextFile();
        set.AddEntry(std::make_unique<CImageEntry>(finder.GetFilePath()));
    }
}

std::unique_ptr<CImageSet> BuildSet(int argc, char* const argv[]) {
    auto set = std::make_unique<CImageSet>(kCommandLineSetName);
    for (int i = 1; i < argc; ++i) {
        if (IsPattern(argv[i]))
            AddMatches(*set, argv[i]);
        else
            set->AddEntry(std::make_unique<CImageEntry>(argv[i]));  // as typed, even relative
    }
    return set;
}

}  // namespace

CommandLineSetResult LoadCommandLineSet(int argc, char* const argv[]) {
    if (argc <= 1) return CommandLineSetResult::NoPictures;
    try {
        auto list = std::make_unique<CImageSetList>();
        std::unique_ptr<CImageSet> set = BuildSet(argc, argv);
        if (set->IsEmpty()) return CommandLineSetResult::NoPictures;
        list->AddSet(std::move(set));
        list->m_bFromCommandLine = TRUE;
        delete TheImageSetList;
        TheImageSetList = list.release();
        return CommandLineSetResult::Loaded;
    } catch (const std::bad_alloc&) {
        return CommandLineSetResult::OutOfMemory;
    }
}
