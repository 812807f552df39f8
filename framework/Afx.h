// The framework layer in one include.
#pragma once

#include "CFileFind.h"
#include "CObject.h"
#include "CString.h"
#include "CmdTarget.h"
#include "Controls.h"
#include "Dialog.h"
#include "FrameWnd.h"
#include "Gdi.h"
#include "Handle.h"
#include "Lifetime.h"
#include "Menu.h"
#include "PropertySheet.h"
#include "RegKey.h"
#include "Resource.h"
#include "WinApp.h"
#include "Wnd.h"
