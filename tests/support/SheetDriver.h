// A property sheet driven from a script of DriveModal, as a user drives it:
// pages, clicks, typing, OK and Cancel.
#pragma once

#include <windows.h>

#include <string>

namespace sheet_driver {

HWND CurrentPage(HWND sheet);
// Shows page `index`, as a click on its tab does; false when the page
// being left refused.
bool SelectPage(HWND sheet, int index);
void PressOK(HWND sheet);
void PressCancel(HWND sheet);

void Click(HWND page, int id);
// Selects entry `index` of the combo box `id` as a user does, so the page
// hears of it.
void Choose(HWND page, int id, int index);
void Type(HWND page, int id, const char* text);
std::string Text(HWND page, int id);
bool Checked(HWND page, int id);
bool Enabled(HWND page, int id);

// The control with the keyboard focus in the sheet's thread.
HWND Focus(HWND sheet);

}  // namespace sheet_driver
