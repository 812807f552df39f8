// The Select Background Images dialog's rules that need no dialog window:
// folder paths from the common dialog's lists, the sample folder and shell
// icons, where an added picture goes, what a drop adds, and the new set list
// built from the tree's texts.
#pragma once

#include "framework/CString.h"
#include "sets/ImageSetList.h"
#include "ImageLibrary.h"

#include <memory>
#include <vector>

// `path` with "\" appended unless it is empty or already ends with one.
CString WithTrailingBackslash(const CString& path);

// The Directories list's items from the first up to and including
// `selected`, each followed by "\" unless it ends with one.
CString JoinDirectoryItems(const std::vector<CString>& items, int selected);

// The folder, ending in "\", whose files the file list shows. The
// current-folder text is used as it is unless it may be shortened (it holds a
// "." and does not begin with "..."); then the folder spelled by the
// Directories list is taken, when there is a selected item and that folder
// exists. Lists that do not spell the folder (Wine's "[..]" items) fail that
// test and leave the text in charge.
CString FolderOfFileList(const CString& folderText, const std::vector<CString>& directoryItems, int selected);

// Select All and Unselect All pass over empty items and the "[folder]",
// "[-c-]" and "." entries that some file lists carry.
bool IsSelectableFileItem(const char* text);

// The search pattern that lists the top level of a drive string: "*.*"
// after a drive root such as "C:\" or a longer string ending in "\",
// "\*.*" after anything else.
CString DriveSearchPattern(const CString& drive);

// A folder on the first drive (skipping A: and B:) that has one, found by
// walking the logical drives; false when none does. Its shell icons are the
// set items' folder icons.
bool FindSampleFolder(CString& folder);

// The shell's small icon indexes for a file or folder, closed and open; false
// when the shell gives none (a file that no longer exists). The icon handles
// the shell hands out are released at once: only the indexes are kept. Paths
// of any length work; beyond the shell's own limit the icons follow the type.
bool GetShellIcons(const char* path, int& image, int& openImage);

// Where an added picture goes.
enum class Insertion {
    NewSet,                // empty tree: a new set "New Set", named by the user next
    FirstSet,              // nothing selected: last child of the first set
    AfterSelectedPicture,  // right after the selected picture, in its set
    IntoSelectedSet,       // last child of the selected set
};
Insertion ChooseInsertion(bool treeEmpty, bool anySelected, bool selectedIsSet);

// The ";"-separated name patterns of the formats the codec library reads.
std::vector<CString> ReadablePatterns(const std::vector<FormatInfo>& table);
// True when `name` matches one of the patterns (each may be a ";" list).
bool MatchesAnyPattern(const char* name, const std::vector<CString>& patterns);

// What a drop adds, in order: a dropped file as it is; a dropped folder as
// the files directly in it that match `patterns`, in name order (ignoring
// case); anything that no longer exists, nothing.
std::vector<CString> ExpandDroppedPaths(const std::vector<CString>& dropped, const std::vector<CString>& patterns);

// One top-level item of the tree: the set's name and its pictures' paths.
struct SetTreeTexts {
    CString name;
    std::vector<CString> paths;
};

// The new set list for the tree's texts: one set per item, in order, each
// with its pictures; indexes -1, marks clear. Null when no set holds a
// picture. Throws std::bad_alloc when memory runs out.
std::unique_ptr<CImageSetList> BuildSetList(const std::vector<SetTreeTexts>& sets);
