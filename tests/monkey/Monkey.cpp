#include "Monkey.h"

#include "res/resource.h"
#include "support/WindowFinder.h"
#include "support/WaitUntil.h"

#include <commctrl.h>
#include <dlgs.h>
#include <prsht.h>

namespace {

// How much a person leans to a tray command: opening windows wins; the web
// pages and the help are looked at now and then.
unsigned TrayWeight(UINT command) {
    switch (command) {
        case ID_SELECT_IMAGES: return 14;
        case ID_OPTIONS: return 12;
        case ID_DISPLAY_NEXT_VISTAL:
        case ID_DISPLAY_NEXT_SET: return 4;
        case ID_WEB_SITE:
        case ID_TECH_SUPPORT:
        case ID_ORDER:
        case ID_HELP_FINDER: return 1;
        default: return 2;
    }
}
constexpr UINT_PTR kChangeTimer = 10;
constexpr DWORD kAnswerMs = 5000;

bool Usable(HWND window) { return window && IsWindowVisible(window) && IsWindowEnabled(window); }

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kAnswerMs, &result);
    return static_cast<LRESULT>(result);
}

void Post(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    PostMessageA(window, message, wParam, lParam);
}

// A press of `key` where the keyboard focus is, through the window's
// message loop (which lets its dialog see it first).
void PostKey(HWND window, WORD key) {
    Post(window, WM_KEYDOWN, key, 1);
    Post(window, WM_KEYUP, key, 0xC0000001);
}

void Notify(HWND control, WORD code) {
    Post(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code), reinterpret_cast<LPARAM>(control));
}

std::string Shorten(const std::string& text) {
    if (text.size() <= 60) return "\"" + text + "\"";
    return "\"" + text.substr(0, 40) + "...\" (" + std::to_string(text.size()) + " characters)";
}

std::string ControlName(HWND control) {
    const std::string text = WindowTextOf(control);
    return text.empty() ? "control " + std::to_string(GetDlgCtrlID(control)) : "\"" + text + "\"";
}

void PutOnClipboard(const std::string& text) {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
    }
    CloseClipboard();
}

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
    return TRUE;
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

// The text of a list box or combo box item; Unicode, which Wine carries
// across processes whole.
std::string ListItemText(HWND list, int item, UINT lengthMessage, UINT textMessage) {
    const LRESULT length = Send(list, lengthMessage, item);
    if (length <= 0 || length > 1000) return {};
    std::wstring text(static_cast<size_t>(length) * 2 + 16, L'\0');
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(list, textMessage, item, reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL, kAnswerMs,
                        &ignored);
    char narrow[2048] = {};
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, narrow, sizeof narrow - 1, nullptr, nullptr);
    return narrow;
}

bool StartsWith(const std::string& text, const std::string& start) {
    return text.size() >= start.size() && lstrcmpiA(text.substr(0, start.size()).c_str(), start.c_str()) == 0;
}

// The items of a tree, sets and pictures, in order.
std::vector<HTREEITEM> TreeItems(HWND tree) {
    std::vector<HTREEITEM> items;
    for (auto set = reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_ROOT)); set;
         set = reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(set)))) {
        items.push_back(set);
        for (auto picture = reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(set)));
             picture; picture = reinterpret_cast<HTREEITEM>(
                          Send(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(picture))))
            items.push_back(picture);
    }
    return items;
}

}  // namespace

Monkey::Monkey(ProgramUnderTest& program, Pictures& pictures, uint32_t seed)
    : program_(program), pictures_(pictures), dice_(seed), trayMenu_(program.TrayMenuItems()) {}

Step Monkey::Act() {
    const Inventory windows = program_.Windows();
    Choices choices;
    // A menu left open holds the program's input: it is closed first.
    if (!windows.menus.empty())
        choices.push_back({1, [menu = windows.menus.front()] {
            PostKey(menu, VK_ESCAPE);
            return Step{"Esc on an open menu"};
        }});
    else
        OfferTray(choices);
    for (HWND dialog : windows.selectDialogs) OfferSelectDialog(choices, dialog);
    for (HWND sheet : windows.optionsSheets) OfferSheet(choices, sheet);
    for (HWND box : windows.messageBoxes) OfferMessageBox(choices, box);
    for (HWND about : windows.aboutBoxes) {
        if (!Usable(about)) continue;
        choices.push_back({5, [about] {
            Post(GetDlgItem(about, IDC_CONTINUE), BM_CLICK);
            return Step{"About: Continue"};
        }});
        choices.push_back({1, [about] {
            Post(GetDlgItem(about, IDC_ORDER), BM_CLICK);
            return Step{"About: Order"};
        }});
    }
    for (HWND foreign : windows.foreign)
        choices.push_back({10, [foreign] {
            Post(foreign, WM_CLOSE);
            return Step{"close another program's window \"" + WindowTextOf(foreign) + "\""};
        }});
    for (HWND other : windows.others)
        choices.push_back({10, [other] {
            Post(other, WM_CLOSE);
            return Step{"close the window \"" + WindowTextOf(other) + "\""};
        }});

    unsigned total = 0;
    for (const Choice& choice : choices) total += choice.weight;
    size_t roll = dice_.Below(total);
    for (Choice& choice : choices) {
        if (roll < choice.weight) return choice.perform();
        roll -= choice.weight;
    }
    return Step{"nothing to do"};
}

void Monkey::OfferTray(Choices& choices) {
    for (size_t item = 0; item < trayMenu_.size(); ++item)
        choices.push_back({TrayWeight(trayMenu_[item].command), [this, item] { return TrayMenu(item); }});
    choices.push_back({1, [this] {
        HWND menu = OpenTrayMenu();
        if (!menu) return Step{"tray menu, closed", false, MenuFault()};
        PostKey(menu, VK_ESCAPE);
        return Step{"tray menu, closed with Esc"};
    }});
    choices.push_back({4, [this] {
        if (!program_.DoubleClickTrayIcon())
            return Step{"double-click the tray icon", false, "the double-click did not reach the program within 10 s"};
        return Step{"double-click the tray icon"};
    }});
    choices.push_back({6, [this] {
        Post(program_.Frame(), WM_TIMER, kChangeTimer);
        return Step{"a minute passes (timer tick)"};
    }});
    choices.push_back({2, [this] { return Step{pictures_.Damage(dice_)}; }});
    choices.push_back({1, [this] { return Step{pictures_.Vanish(dice_)}; }});
    choices.push_back({2, [this] { return Step{pictures_.RestoreAll()}; }});
    choices.push_back({1, [this] {
        // Windows asks, announces, and then ends the process.
        HWND frame = program_.Frame();
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(frame, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, kAnswerMs, &answer);
        SendMessageTimeoutA(frame, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, kAnswerMs, &answer);
        program_.Kill();
        return Step{"the session ends", true};
    }});
    choices.push_back({1, [this] {
        program_.Kill();
        return Step{"end the task", true};
    }});
}

Step Monkey::TrayMenu(size_t item) {
    const bool exits = trayMenu_[item].command == ID_APP_EXIT;
    Step step{"tray menu > " + trayMenu_[item].text, exits};
    step.mustEnd = exits;
    HWND menu = OpenTrayMenu();
    if (!menu) {
        step.fault = MenuFault();
        return step;
    }
    // The keys go to the menu's own queue, which its loop reads: a key that
    // comes late lands nowhere else.
    for (size_t down = 0; down <= item; ++down) PostKey(menu, VK_DOWN);
    PostKey(menu, VK_RETURN);
    program_.Settle(kAnswerMs);
    if (IsWindowVisible(menu)) {
        // A greyed item: the menu stays, as it does for a click.
        PostKey(menu, VK_ESCAPE);
        program_.Settle(kAnswerMs);
        step.what += " (greyed; Esc)";
        if (IsWindowVisible(menu)) step.fault = "the tray menu does not close";
    }
    return step;
}

std::string Monkey::MenuFault() const {
    const std::string cover = program_.WindowOverTrayIcon();
    return "the tray menu did not open within 10 s" + (cover.empty() ? "" : "; the tray icon is under " + cover);
}

HWND Monkey::OpenTrayMenu() {
    program_.RightClickTrayIcon();
    HWND menu = nullptr;
    WaitUntil([&] {
        const std::vector<HWND> menus = program_.Windows().menus;
        return (menu = menus.empty() ? nullptr : menus.front()) != nullptr;
    }, 10000);
    return menu;
}

void Monkey::OfferMessageBox(Choices& choices, HWND box) {
    // Boxes are answered soon, so that they pile up only now and then.
    const unsigned weight = 40;
    if (!Usable(box)) return;
    std::vector<HWND> buttons;
    for (HWND child : ChildWindows(box))
        if (GetParent(child) == box && ClassNameOf(child) == "Button" && Usable(child) &&
            (GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) <= BS_DEFPUSHBUTTON)
            buttons.push_back(child);
    for (HWND button : buttons)
        choices.push_back({std::max(1u, weight / static_cast<unsigned>(buttons.size())), [=] {
            std::string text = WindowTextOf(GetDlgItem(box, 0xFFFF));
            if (text.empty()) text = WindowTextOf(box);
            Post(button, BM_CLICK);
            return Step{"message box " + Shorten(text) + ": " + ControlName(button)};
        }});
}

void Monkey::OfferSelectDialog(Choices& choices, HWND dialog) {
    if (!Usable(dialog)) return;
    struct Button {
        int id;
        unsigned weight;
        const char* name;
    };
    static const Button buttons[] = {{IDC_SELECT_ALL, 8, "Select All"}, {IDC_UNSELECT_ALL, 2, "Unselect All"},
                                     {IDC_ADD, 10, "Add"},             {IDC_REMOVE, 6, "Remove"},
                                     {IDC_OPTIONS, 10, "Options..."},  {IDC_NEW_SET, 6, "New Set"},
                                     {IDOK, 8, "OK"},                  {IDCANCEL, 4, "Cancel"}};
    for (const Button& button : buttons)
        if (Usable(GetDlgItem(dialog, button.id)))
            choices.push_back({button.weight, [dialog, button] {
                Post(GetDlgItem(dialog, button.id), BM_CLICK);
                return Step{std::string("Select: ") + button.name};
            }});
    if (Usable(GetDlgItem(dialog, IDOK)))
        choices.push_back({1, [this, dialog] {
            // The task ended while the new sets may be being saved.
            const DWORD delay = static_cast<DWORD>(dice_.Below(30));
            Post(GetDlgItem(dialog, IDOK), BM_CLICK);
            Sleep(delay);
            program_.Kill();
            return Step{"Select: OK, and the task ended " + std::to_string(delay) + " ms later", true};
        }});
    choices.push_back({1, [dialog] {
        HWND tree = GetDlgItem(dialog, IDC_SET_TREE);
        HWND edit = reinterpret_cast<HWND>(Send(tree, TVM_GETEDITCONTROL));
        PostKey(edit ? edit : tree, VK_ESCAPE);
        return Step{"Select: Esc"};
    }});
    HWND tree = GetDlgItem(dialog, IDC_SET_TREE);
    OfferLabelEdit(choices, dialog, tree);
    choices.push_back({8, [this, tree] {
        const std::vector<HTREEITEM> items = TreeItems(tree);
        const size_t pick = dice_.Below(items.size() + 1);
        const HTREEITEM item = pick < items.size() ? items[pick] : nullptr;
        Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        return Step{item ? "Select: choose tree item " + std::to_string(pick) : "Select: choose no tree item"};
    }});
    choices.push_back({6, [this, tree] {
        std::vector<std::string> paths;
        for (size_t n = 1 + dice_.Below(3); n > 0; --n) paths.push_back(pictures_.AnyPath(dice_));
        const size_t before = TreeItems(tree).size();
        program_.Drop(tree, paths);
        program_.Settle(kAnswerMs);
        std::string what = "Select: drop on the tree";
        for (const std::string& path : paths) what += " " + Shorten(path);
        return Step{what + " (" + std::to_string(TreeItems(tree).size() - before) + " added)"};
    }});
    OfferFileControls(choices, dialog);
}

void Monkey::OfferLabelEdit(Choices& choices, HWND dialog, HWND tree) {
    if (HWND edit = reinterpret_cast<HWND>(Send(tree, TVM_GETEDITCONTROL))) {
        choices.push_back({14, [this, edit] { return TypeLabel(edit); }});
        return;
    }
    choices.push_back({8, [this, dialog, tree] {
        const std::vector<HTREEITEM> items = TreeItems(tree);
        if (items.empty()) return Step{"Select: edit a label (the tree is empty)"};
        const size_t pick = dice_.Below(items.size());
        Post(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(tree), TRUE);
        program_.Settle(kAnswerMs);
        HWND edit = reinterpret_cast<HWND>(Send(tree, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(items[pick])));
        const std::string what = "Select: edit the label of tree item " + std::to_string(pick);
        // Mostly typed at once; sometimes left open for whatever comes next.
        if (!edit || dice_.Percent(30)) return Step{what};
        return Step{what + "; " + TypeLabel(edit).what};
    }});
}

Step Monkey::TypeLabel(HWND edit) {
    const std::string text = LabelText(dice_, pictures_);
    const bool enter = dice_.Percent(70), paste = dice_.Percent(25);
    if (paste) {
        PutOnClipboard(text);
        Send(edit, EM_SETSEL, 0, -1);
        Send(edit, WM_PASTE);
    } else {
        SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, kAnswerMs,
                            nullptr);
    }
    PostKey(edit, enter ? VK_RETURN : VK_ESCAPE);
    return Step{std::string("Select: ") + (paste ? "paste " : "type ") + Shorten(text) + " as a label" +
                (enter ? ", Enter" : ", Esc")};
}

void Monkey::OfferFileControls(Choices& choices, HWND dialog) {
    HWND files = GetDlgItem(dialog, lst1), folders = GetDlgItem(dialog, lst2);
    HWND drives = GetDlgItem(dialog, cmb2), types = GetDlgItem(dialog, cmb1);
    if (Usable(files)) {
        choices.push_back({8, [this, files] {
            const int count = static_cast<int>(Send(files, LB_GETCOUNT));
            Send(files, LB_SETSEL, FALSE, -1);
            std::string what = "Select: choose files";
            for (size_t n = dice_.Below(4); n > 0 && count > 0; --n) {
                const int item = static_cast<int>(dice_.Below(count));
                Send(files, LB_SETSEL, TRUE, item);
                what += " " + ListItemText(files, item, LB_GETTEXTLEN, LB_GETTEXT);
            }
            Notify(files, LBN_SELCHANGE);
            return Step{what};
        }});
        choices.push_back({3, [dialog, files] {
            Post(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(files), TRUE);
            PostKey(files, VK_RETURN);
            return Step{"Select: Enter in the file list"};
        }});
    }
    if (Usable(folders)) {
        choices.push_back({4, [this, dialog, folders] {
            // Only along the way to the pictures and below them: the rest of
            // the disk is no place for a run to wander. The list names the
            // folders "[..]" and "[name]" below the current one, whose text
            // starts with "..." when it is too long to show.
            const int item = static_cast<int>(dice_.Below(Send(folders, LB_GETCOUNT)));
            std::string name = ListItemText(folders, item, LB_GETTEXTLEN, LB_GETTEXT);
            if (name.size() > 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
            const std::string current = WindowTextOf(GetDlgItem(dialog, stc1));
            std::string target;
            if (name == "..")
                target = current.compare(0, 3, "...") == 0 ? pictures_.Root() : current.substr(0, current.find_last_of('\\'));
            else if (current.compare(0, 3, "...") != 0)
                target = current + (current.back() == '\\' ? "" : "\\") + name;
            const std::string& root = pictures_.Root();
            if (target.empty() || (!StartsWith(root + "\\", target) && !StartsWith(target, root)))
                return Step{"Select: stay out of the folder \"" + name + "\" in " + Shorten(current)};
            Send(folders, LB_SETCURSEL, item);
            Notify(folders, LBN_DBLCLK);
            return Step{"Select: open the folder \"" + name + "\" in " + Shorten(current)};
        }});
    }
    for (HWND combo : {drives, types}) {
        if (!Usable(combo)) continue;
        choices.push_back({combo == drives ? 1u : 2u, [this, combo, drives] {
            const int item = static_cast<int>(dice_.Below(Send(combo, CB_GETCOUNT)));
            Send(combo, CB_SETCURSEL, item);
            Notify(combo, CBN_SELCHANGE);
            return Step{std::string("Select: choose the ") + (combo == drives ? "drive " : "file type ") +
                        Shorten(ListItemText(combo, item, CB_GETLBTEXTLEN, CB_GETLBTEXT))};
        }});
    }
}

void Monkey::OfferSheet(Choices& choices, HWND sheet) {
    if (!Usable(sheet)) return;
    HWND tabs = FindWindowExA(sheet, nullptr, "SysTabControl32", nullptr);
    const int pages = static_cast<int>(Send(tabs, TCM_GETITEMCOUNT));
    choices.push_back({10, [this, sheet, pages] {
        const int page = static_cast<int>(dice_.Below(pages));
        Post(sheet, PSM_SETCURSEL, page);
        return Step{"Options: page " + std::to_string(page)};
    }});
    for (HWND child : ChildWindows(sheet)) {
        if (GetParent(child) != sheet || ClassNameOf(child) != "Button" || !Usable(child)) continue;
        const int id = GetDlgCtrlID(child);
        choices.push_back({id == IDOK ? 6u : id == IDCANCEL ? 3u : 1u, [child] {
            Post(child, BM_CLICK);
            return Step{"Options: " + ControlName(child)};
        }});
    }
    HWND page = reinterpret_cast<HWND>(Send(sheet, PSM_GETCURRENTPAGEHWND));
    if (page)
        for (HWND control : ChildWindows(page)) OfferPageControl(choices, page, control);
}

void Monkey::OfferPageControl(Choices& choices, HWND page, HWND control) {
    if (!Usable(control)) return;
    const std::string cls = ClassNameOf(control);
    if (cls == "Button" && (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) != BS_GROUPBOX) {
        choices.push_back({3, [control] {
            Post(control, BM_CLICK);
            return Step{"Options: click " + ControlName(control)};
        }});
    } else if (cls == "Edit") {
        choices.push_back({4, [this, control] { return Type(control, NumberText(dice_), "Options"); }});
        choices.push_back({1, [this, control] {
            const std::string text = dice_.Percent(50) ? pictures_.AnyPath(dice_) : NumberText(dice_);
            PutOnClipboard(text);
            Send(control, EM_SETSEL, 0, -1);
            Send(control, WM_PASTE);
            return Step{"Options: paste " + Shorten(text) + " into " + ControlName(control)};
        }});
        choices.push_back({1, [this, page, control] {
            const WORD key = dice_.Percent(50) ? VK_UP : VK_DOWN;
            Post(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
            PostKey(control, key);
            return Step{std::string("Options: ") + (key == VK_UP ? "Up" : "Down") + " in " + ControlName(control)};
        }});
    } else if (cls == "ComboBox") {
        choices.push_back({4, [this, control] {
            const int item = static_cast<int>(dice_.Below(Send(control, CB_GETCOUNT)));
            Send(control, CB_SETCURSEL, item);
            Notify(control, CBN_SELCHANGE);
            return Step{"Options: choose " + Shorten(ListItemText(control, item, CB_GETLBTEXTLEN, CB_GETLBTEXT))};
        }});
    }
}

Step Monkey::Type(HWND edit, const std::string& text, const std::string& where) {
    SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, kAnswerMs, nullptr);
    return Step{where + ": type " + Shorten(text) + " into " + ControlName(edit)};
}
