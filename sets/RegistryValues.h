// Typed registry values for the image set keys. Types are not checked on
// reading: a DWORD is whatever 4 bytes are stored, a string whatever is there.
#pragma once

#include "framework/CString.h"

#include <windows.h>

bool ReadDword(HKEY key, const char* name, DWORD& value);
// Reads a string of any length; the text ends at the first zero.
bool ReadString(HKEY key, const char* name, CString& value);

bool WriteDword(HKEY key, const char* name, DWORD value);
// Writes REG_SZ including the terminating zero.
bool WriteString(HKEY key, const char* name, const CString& value);
