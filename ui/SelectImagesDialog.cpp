#include "ui/SelectImagesDialog.h"

#include "framework/WinApp.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "ui/OptionsSheet.h"
#include "ui/SelectImagesRules.h"
#include "wallpaper/CodecBinding.h"

#include <dlgs.h>
#include <shellapi.h>

#include <new>

namespace {

// Exactly OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_SHOWHELP | OFN_HIDEREADONLY
// | OFN_LONGNAMES, without OFN_EXPLORER: the old-style dialog, whose
// standard control ids the template uses.
constexpr DWORD kSelectImagesFlags = 0x00200074;
static_assert(kSelectImagesFlags == (OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_SHOWHELP | OFN_HIDEREADONLY |
                                     OFN_LONGNAMES),
              "the old-style dialog's flags");

const char kCaption[] = "Select Background Images";
const char kNewSetName[] = "New Set";

CString ListBoxItemText(HWND list, int item) {
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(item), 0);
    if (length == LB_ERR || length <= 0) return CString();
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(text.data()));
    return CString(text.data());
}

int ListBoxCount(HWND list) {
    return list ? static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0)) : 0;
}

// The paths carried by a drop, each of any length.
std::vector<CString> DroppedPaths(HDROP drop) {
    std::vector<CString> paths;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        std::vector<char> path(length + 1, '\0');
        DragQueryFileA(drop, i, path.data(), length + 1);
        paths.emplace_back(path.data());
    }
    return paths;
}

}  // namespace

BEGIN_MESSAGE_MAP(CSetTreeCtrl, CTreeCtrl)
    ON_MESSAGE(WM_DROPFILES, OnDropFiles)
END_MESSAGE_MAP()

LRESULT CSetTreeCtrl::OnDropFiles(WPARAM drop, LPARAM) {
    return ::SendMessageA(::GetParent(m_hWnd), WM_DROPFILES, drop, 0);
}

IMPLEMENT_DYNAMIC(CBatchC, CFileDialog)

BEGIN_MESSAGE_MAP(CBatchC, CFileDialog)
    ON_BN_CLICKED(IDC_SELECT_ALL, OnSelectAll)
    ON_BN_CLICKED(IDC_UNSELECT_ALL, OnUnselectAll)
    ON_BN_CLICKED(IDC_ADD, OnAdd)
    ON_BN_CLICKED(IDC_REMOVE, OnRemove)
    ON_BN_CLICKED(IDC_OPTIONS, OnOptions)
    ON_BN_CLICKED(IDC_NEW_SET, OnNewSet)
    ON_NOTIFY(TVN_ENDLABELEDITA, IDC_SET_TREE, OnEndLabelEdit)
    ON_NOTIFY(TVN_ENDLABELEDITW, IDC_SET_TREE, OnEndLabelEdit)
    ON_MESSAGE(WM_DROPFILES, OnDropFiles)
    ON_MESSAGE(DM_GETDEFID, OnGetDefaultId)
END_MESSAGE_MAP()

CBatchC::CBatchC(CImageSetList* setList, BOOL openFileDialog, const char* defaultExt, const char* fileName,
                 DWORD flags, const char* filter, CWnd* parent)
    : CFileDialog(openFileDialog, defaultExt, fileName, flags, filter, parent), m_pSetList(setList) {
    m_ofn.lpTemplateName = MAKEINTRESOURCEA(IDD_SELECT_IMAGES);
    m_ofn.Flags = kSelectImagesFlags;
    m_ofn.lpstrFilter = OpenFileFilter.empty() ? nullptr : OpenFileFilter.data();
    // Wine shows its own caption unless the record names one.
    m_ofn.lpstrTitle = kCaption;
}

CBatchC::~CBatchC() {
    m_imageList.Detach();
}

void CBatchC::DoDataExchange(CDataExchange* dx) {
    CFileDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_SET_TREE, m_treeSets);
}

BOOL CBatchC::OnInitDialog() {
    CFileDialog::OnInitDialog();
    AttachSystemImageList();
    CString sample;
    if (FindSampleFolder(sample)) GetShellIcons(sample, m_nFolderImage, m_nFolderOpenImage);
    FillTreeFromList();
    DragAcceptFiles(m_treeSets.m_hWnd, TRUE);
    EnableByPictureCount();
    return TRUE;
}

void CBatchC::AttachSystemImageList() {
    if (m_treeSets.GetImageList(TVSIL_NORMAL)) m_imageList.Detach();
    SHFILEINFOA info{};
    const auto systemList = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (!systemList || !m_imageList.Attach(systemList)) return;
    m_treeSets.SetImageList(m_imageList.GetSafeHandle(), TVSIL_NORMAL);
}

void CBatchC::FillTreeFromList() {
    if (!m_pSetList) return;
    for (POSITION at = m_pSetList->GetHeadPosition(); at;) {
        const auto* set = static_cast<const CImageSet*>(m_pSetList->GetNext(at));
        if (!set) continue;
        HTREEITEM setItem = InsertSet(set->m_strName);
        for (POSITION entryAt = set->GetHeadPosition(); entryAt;) {
            const auto* entry = static_cast<const CImageEntry*>(set->GetNext(entryAt));
            int image = 0, openImage = 0;
            // A picture the shell no longer knows drops out of its set.
            if (!entry || !GetShellIcons(entry->m_strPath, image, openImage)) continue;
            m_treeSets.InsertItem(entry->m_strPath, image, openImage, setItem);
            ++m_nImageCount;
        }
    }
}

HTREEITEM CBatchC::InsertSet(const char* name) {
    return m_treeSets.InsertItem(name, m_nFolderImage, m_nFolderOpenImage);
}

void CBatchC::StartLabelEdit(HTREEITEM item) {
    m_treeSets.SelectItem(item);
    ::SetFocus(m_treeSets.m_hWnd);
    m_treeSets.EditLabel(item);
}

void CBatchC::EnableByPictureCount() {
    const BOOL any = m_nImageCount > 0;
    ::EnableWindow(GetDlgItem(IDOK), any);
    ::EnableWindow(GetDlgItem(IDC_REMOVE), any);
}

void CBatchC::OnSelectAll() { SelectAllFiles(TRUE); }
void CBatchC::OnUnselectAll() { SelectAllFiles(FALSE); }

void CBatchC::SelectAllFiles(BOOL select) {
    HWND files = GetDlgItem(lst1);
    if (!files) return;
    ::SendMessageA(files, WM_SETREDRAW, FALSE, 0);
    const int count = ListBoxCount(files);
    for (int i = 0; i < count; ++i)
        if (IsSelectableFileItem(ListBoxItemText(files, i)))
            ::SendMessageA(files, LB_SETSEL, static_cast<WPARAM>(select), i);
    ::SendMessageA(files, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(files, nullptr, TRUE);
}

void CBatchC::OnAdd() {
    HWND files = GetDlgItem(lst1);
    const int count = ListBoxCount(files);
    for (int i = 0; i < count; ++i)
        if (::SendMessageA(files, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0) AddFileToTree(i);
    SelectAllFiles(FALSE);
    ::InvalidateRect(m_treeSets.m_hWnd, nullptr, TRUE);
    EnableByPictureCount();
}

void CBatchC::AddFileToTree(int fileItem) {
    const CString name = ListBoxItemText(GetDlgItem(lst1), fileItem);
    HWND folders = GetDlgItem(lst2);
    std::vector<CString> folderItems;
    const int folderCount = ListBoxCount(folders);
    for (int i = 0; i < folderCount; ++i) folderItems.push_back(ListBoxItemText(folders, i));
    const int selectedFolder = folders ? static_cast<int>(::SendMessageA(folders, LB_GETCURSEL, 0, 0)) : -1;
    AddPathToTree(FolderOfFileList(WindowText(GetDlgItem(stc1)), folderItems, selectedFolder) + name);
}

bool CBatchC::AddPathToTree(const CString& path) {
    int image = 0, openImage = 0;
    if (!GetShellIcons(path, image, openImage)) return false;
    HTREEITEM selected = m_treeSets.GetSelectedItem();
    HTREEITEM firstSet = m_treeSets.GetRootItem();
    const bool selectedIsSet = selected && !m_treeSets.GetParentItem(selected);
    switch (ChooseInsertion(firstSet == nullptr, selected != nullptr, selectedIsSet)) {
    case Insertion::NewSet: {
        HTREEITEM set = InsertSet(kNewSetName);
        m_treeSets.InsertItem(path, image, openImage, set);
        m_treeSets.Expand(set);
        StartLabelEdit(set);
        break;
    }
    case Insertion::FirstSet:
        m_treeSets.InsertItem(path, image, openImage, firstSet);
        m_treeSets.Expand(firstSet);
        break;
    case Insertion::AfterSelectedPicture:
        m_treeSets.InsertItem(path, image, openImage, m_treeSets.GetParentItem(selected), selected);
        break;
    case Insertion::IntoSelectedSet:
        m_treeSets.InsertItem(path, image, openImage, selected);
        m_treeSets.Expand(selected);
        break;
    }
    ++m_nImageCount;
    return true;
}

LRESULT CBatchC::OnDropFiles(WPARAM wParam, LPARAM) {
    const auto drop = reinterpret_cast<HDROP>(wParam);
    const std::vector<CString> paths = ExpandDroppedPaths(DroppedPaths(drop), ReadablePatterns(FormatTable));
    DragFinish(drop);
    for (const CString& path : paths) AddPathToTree(path);
    ::InvalidateRect(m_treeSets.m_hWnd, nullptr, TRUE);
    EnableByPictureCount();
    return 0;
}

LRESULT CBatchC::OnGetDefaultId(WPARAM, LPARAM) {
    // No default button: Enter then always comes as IDOK, even while the OK
    // button is disabled (the dialog manager drops Enter when the default
    // button is disabled), so Enter in the file list adds to an empty tree.
    return 0;
}

void CBatchC::OnRemove() {
    HTREEITEM selected = m_treeSets.GetSelectedItem();
    if (!selected) return;
    int pictures = 1;
    if (!m_treeSets.GetParentItem(selected)) {
        pictures = 0;
        for (HTREEITEM child = m_treeSets.GetChildItem(selected); child; child = m_treeSets.GetNextSiblingItem(child))
            ++pictures;
    }
    m_treeSets.DeleteItem(selected);
    m_nImageCount -= pictures;
    EnableByPictureCount();
}

void CBatchC::OnNewSet() {
    StartLabelEdit(InsertSet(kNewSetName));
}

void CBatchC::OnEndLabelEdit(NMHDR* header, LRESULT* result) {
    // Keep what the user typed, whether the edit ends with Enter or by
    // leaving it; Esc hands no text and keeps the old label.
    const bool hasText = header->code == TVN_ENDLABELEDITW
                             ? reinterpret_cast<NMTVDISPINFOW*>(header)->item.pszText != nullptr
                             : reinterpret_cast<NMTVDISPINFOA*>(header)->item.pszText != nullptr;
    *result = hasText && !droppingLabelEdit_ ? TRUE : FALSE;
}

void CBatchC::DropLabelEdit() {
    droppingLabelEdit_ = true;
    m_treeSets.SendMessage(TVM_ENDEDITLABELNOW, TRUE);
    droppingLabelEdit_ = false;
}

void CBatchC::OnOptions() {
    // With its Apply button, unlike the tray's; the counters, the timer and
    // the shown marks are left alone.
    COptionsSheet sheet("Options");
    // Modal to this dialog, which stays disabled until the sheet is gone.
    sheet.m_psh.hwndParent = m_hWnd;
    if (sheet.DoModal() != IDOK) return;
    sheet.ApplyOptions();
    if (m_onOptionsApplied) m_onOptionsApplied();
}

void CBatchC::OnOK() {
    if (HWND edit = m_treeSets.GetEditControl()) {
        // Enter while a label is edited names the item; the dialog stays.
        if (HTREEITEM item = m_treeSets.GetSelectedItem()) m_treeSets.SetItemText(item, WindowText(edit));
        DropLabelEdit();
        return;
    }
    if (::GetFocus() != GetDlgItem(IDOK)) {
        // Enter anywhere else adds the files selected in the file list.
        OnAdd();
        return;
    }
    if (!BuildNewList()) return;
    // Without a file-name edit, the old-style dialog's own OK does nothing
    // under Wine (Windows' ends it): the dialog ends itself, once, either way.
    EndConfirmed();
}

bool CBatchC::BuildNewList() {
    if (!m_treeSets.GetRootItem()) {
        AfxMessageBox(IDP_NO_IMAGES_SELECTED, MB_OK);
        return false;
    }
    std::unique_ptr<CImageSetList> list;
    try {
        std::vector<SetTreeTexts> sets;
        for (HTREEITEM set = m_treeSets.GetRootItem(); set; set = m_treeSets.GetNextSiblingItem(set)) {
            sets.push_back({m_treeSets.GetItemText(set), {}});
            for (HTREEITEM picture = m_treeSets.GetChildItem(set); picture;
                 picture = m_treeSets.GetNextSiblingItem(picture))
                sets.back().paths.push_back(m_treeSets.GetItemText(picture));
        }
        list = BuildSetList(sets);
    } catch (const std::bad_alloc&) {
        AfxMessageBox(IDP_OUT_OF_MEMORY, MB_OK);
        return false;
    }
    if (!list) {
        AfxMessageBox(IDP_NO_IMAGES_SELECTED, MB_OK);
        return false;
    }
    // The stored sets the old list could not read stay stored behind the new ones.
    if (m_pSetList) list->InheritUnloadedStoredSets(*m_pSetList);
    delete m_pSetList;
    m_pSetList = list.release();
    // A failed save is not reported: the new list is in use either way.
    m_pSetList->SaveToRegistry(Settings.VistalCycleMethod);
    return true;
}

void CBatchC::OnCancel() {
    if (m_treeSets.GetEditControl()) {
        // Esc while a label is edited only drops the typed text.
        DropLabelEdit();
        return;
    }
    CFileDialog::OnCancel();
}
