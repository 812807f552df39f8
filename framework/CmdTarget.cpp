#include "CmdTarget.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const MessageMapEntry* MessageMap::Find(UINT message, int code, UINT id) const {
    for (const MessageMap* map = this; map; map = map->base ? map->base() : nullptr) {
        for (const MessageMapEntry* e = map->entries; e && e->handler; ++e) {
            if (e->message != message) continue;
            // Commands and notifications are told apart by code and control id.
            const bool keyed = message == WM_COMMAND || message == WM_NOTIFY;
            if (!keyed || (e->code == code && e->id == id)) return e;
        }
    }
    return nullptr;
}

const MessageMap* CCmdTarget::GetThisMessageMap() {
    static const MessageMapEntry entries[] = {{0, 0, 0, nullptr}};
    static const MessageMap map = {nullptr, entries};
    return &map;
}

BOOL CCmdTarget::OnCmdMsg(UINT id, int code, CCmdUI* ui) {
    const MessageMapEntry* entry = GetMessageMap()->Find(WM_COMMAND, code, id);
    if (!entry) return FALSE;
    entry->handler(this, 0, reinterpret_cast<LPARAM>(ui));
    return TRUE;
}

BOOL CCmdTarget::HasCommandHandler(UINT id) const {
    return GetMessageMap()->Find(WM_COMMAND, CN_COMMAND, id) != nullptr;
}

void CCmdUI::Enable(BOOL on) {
    if (m_hMenu)
        EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    m_bEnableChanged = true;
}

void CCmdUI::SetCheck(int check) {
    if (m_hMenu)
        CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
}

void CCmdUI::DoUpdate(CCmdTarget* target, bool disableIfNoHandler) {
    m_bEnableChanged = false;
    if (target->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this)) return;
    if (disableIfNoHandler && !m_bEnableChanged) Enable(target->HasCommandHandler(m_nID));
}
