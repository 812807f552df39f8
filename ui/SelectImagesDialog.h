// "Select Background Images": an old-style file-open dialog with a custom
// template, where the user gathers pictures into named sets in a tree. It
// works on a copy: the tree is filled from the set list it is given, and
// only OK turns the tree into a new list, which replaces the old one and is
// saved at once.
#pragma once

#include "framework/FileDialog.h"
#include "framework/ImageList.h"
#include "framework/TreeCtrl.h"
#include "sets/ImageSetList.h"

#include <functional>
#include <vector>

// The set tree: files and folders dropped on it go to the dialog.
class CSetTreeCtrl : public CTreeCtrl {
    DECLARE_MESSAGE_MAP()
private:
    LRESULT OnDropFiles(WPARAM drop, LPARAM);
};

class CBatchC : public CFileDialog {
    DECLARE_DYNAMIC(CBatchC)
    DECLARE_MESSAGE_MAP()
public:
    // `setList`: the current set list, or null. The flags argument is
    // replaced by the dialog's own; the filter is the codec library's.
    explicit CBatchC(CImageSetList* setList, BOOL openFileDialog = TRUE, const char* defaultExt = nullptr,
                     const char* fileName = nullptr, DWORD flags = 0, const char* filter = nullptr,
                     CWnd* parent = nullptr);
    ~CBatchC() override;

    CSetTreeCtrl m_treeSets;
    // Pictures in the tree; OK and Remove are enabled while it is above 0.
    int m_nImageCount = 0;
    // In: the list to show. Out, after IDOK: the new, saved list; the one
    // given has been destroyed.
    CImageSetList* m_pSetList;
    // The shell's small system icon list, named but never owned.
    CImageList m_imageList;
    int m_nFolderImage = 0;
    int m_nFolderOpenImage = 0;

    // Run after the Options sheet was confirmed from this dialog, once the
    // settings were applied (the caller refreshes its tooltip).
    std::function<void()> m_onOptionsApplied;

    // Adds pictures the way Add does, one after the other; false for a path
    // the shell gives no icon for (nothing is added for it).
    bool AddPathToTree(const CString& path);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    void OnSelectAll();
    void OnUnselectAll();
    void OnAdd();
    void OnRemove();
    void OnOptions();
    void OnNewSet();
    void OnEndLabelEdit(NMHDR* header, LRESULT* result);
    LRESULT OnDropFiles(WPARAM drop, LPARAM);
    LRESULT OnGetDefaultId(WPARAM, LPARAM);

    void AttachSystemImageList();
    void FillTreeFromList();
    void SelectAllFiles(BOOL select);
    void AddFileToTree(int fileItem);
    HTREEITEM InsertSet(const char* name);
    void StartLabelEdit(HTREEITEM item);
    void EnableByPictureCount();
    bool BuildNewList();
    // Ends the label edit in progress keeping the item's text as it is now.
    void DropLabelEdit();

    // Set while the dialog itself ends a label edit: the tree may then
    // report the edit's text more than once, and none of it is taken.
    bool droppingLabelEdit_ = false;
};
