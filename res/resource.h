// Resource identifiers of Vistals.
#pragma once

#include "../framework/Resource.h"

// Frame (icon, placeholder menu and title string share the id) and tray.
#define IDR_MAINFRAME 128
#define IDR_TRAYMENU 130

// Tray menu commands.
#define ID_OPTIONS 32771
#define ID_DISPLAY_NEXT_VISTAL 32772
#define ID_DISPLAY_NEXT_SET 32773
#define ID_SELECT_IMAGES 32775
#define ID_ORDER 32776
#define ID_WEB_SITE 32777
#define ID_TECH_SUPPORT 32779

// Messages.
#define IDS_ZELIMAGE_NOT_FOUND 131
#define IDS_ZELIMAGE_INIT_FAILED_SHORT 137
#define IDP_OUT_OF_MEMORY 138
#define IDP_NO_IMAGES_SELECTED 139
#define IDS_ALREADY_RUNNING 140
#define IDS_ZELIMAGE_INIT_FAILED 169
#define IDS_ZELIMAGE_DAMAGED 170
#define IDS_ZELIMAGE_LOAD_FAILED 171
#define IDS_BMP_WRITER_MISSING 172

// --- About box: picture, button faces and buttons. ---
#define IDB_ABOUT 184
#define IDB_ORDER 185
#define IDB_CONTINUE 186
#define IDC_ORDER 1015
#define IDC_CONTINUE 1016
// --- end of About box ---
