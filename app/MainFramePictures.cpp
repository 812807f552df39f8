// The tray commands about the picture on show: back to the one before it,
// its file in Explorer, and out of its set.
#include "app/MainFrame.h"

#include "framework/FilePath.h"
#include "framework/LongPath.h"
#include "framework/ModalLoop.h"
#include "settings/Settings.h"
#include "wallpaper/CodecBinding.h"

#include <shellapi.h>

namespace {

void TellAbout(const char* format, const std::string& path) {
    CString text;
    text.Format(format, path.c_str());
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

std::string CMainFrame::PictureOnShow() const {
    const ShownChange* shown = m_history.OnShow();
    return shown ? shown->front().path : std::string();
}

void CMainFrame::OnDisplayPreviousVistal() {
    if (!TheImageLibrary) return;
    if (const ShownChange* back = m_history.StepBack()) ShowChange(*back);
}

void CMainFrame::OnUpdateDisplayPreviousVistal(CCmdUI* ui) {
    ui->Enable(m_history.CanStepBack());
}

void CMainFrame::OnShowInFolder() {
    const std::string path = PictureOnShow();
    if (path.empty()) return;
    // The file may have gone since the menu was opened.
    if (!PathExists(path.c_str())) {
        TellAbout("The picture %s is no longer there. It may have been moved, renamed or deleted.", path);
        return;
    }
    const std::string selection = "/select,\"" + FullPathAnyLength(path.c_str()).str() + "\"";
    const auto result = ShellExecuteA(nullptr, "open", "explorer.exe", selection.c_str(), nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) <= 32) TellAbout("Windows Explorer could not be started to show %s.", path);
}

void CMainFrame::OnUpdateShowInFolder(CCmdUI* ui) {
    ui->Enable(PathExists(PictureOnShow().c_str()));
}

std::optional<PicturePlace> CMainFrame::RemovablePictureOnShow() const {
    const ShownChange* shown = m_history.OnShow();
    // The pictures of a command-line list are not stored, so there is no
    // set to take one out of.
    if (!shown || !TheImageSetList || TheImageSetList->m_bFromCommandLine) return std::nullopt;
    const ShownPicture& primary = shown->front();
    return TheImageSetList->FindPicture(primary.path.c_str(), {primary.set, primary.position});
}

void CMainFrame::OnRemoveFromSet() {
    // The question is a window of ours. While another one is open, that one
    // comes forward instead: the Select dialog in particular holds the sets
    // as they were and would store them again on OK.
    if (ModalLoop::BringForward()) return;
    const std::optional<PicturePlace> place = RemovablePictureOnShow();
    if (!place) return;
    const std::string path = PictureOnShow();
    const CString& setName = TheImageSetList->GetSet(place->set)->m_strName;
    CString question;
    if (setName.IsEmpty())
        question.Format("Remove %s from its set? The file itself is not deleted.", FileNamePart(path.c_str()).GetString());
    else
        question.Format("Remove %s from the set %s? The file itself is not deleted.",
                        FileNamePart(path.c_str()).GetString(), setName.GetString());
    if (AfxMessageBox(question, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;

    // Other commands may have run while the question waited: look again.
    const std::optional<PicturePlace> now = TheImageSetList ? TheImageSetList->FindPicture(path.c_str(), *place)
                                                            : std::nullopt;
    if (!now) return;
    TheImageSetList->RemovePicture(*now, Settings.VistalCycleMethod);
    TheImageSetList->SaveToRegistry(Settings.VistalCycleMethod);
    const bool wasOnShow = PictureOnShow() == path;
    // Not to be seen again, not even by going back.
    m_history.Forget(path);
    if (wasOnShow) DisplayNextVistal();
}

void CMainFrame::OnUpdateRemoveFromSet(CCmdUI* ui) {
    ui->Enable(RemovablePictureOnShow().has_value());
}
