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
#define ID_DISPLAY_PREVIOUS_VISTAL 32780
#define ID_PAUSE_CHANGES 32781
#define ID_SHOW_IN_FOLDER 32782
#define ID_REMOVE_FROM_SET 32783

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

// Select Background Images dialog (a custom template of the old-style
// file-open dialog, whose own controls keep their standard ids from dlgs.h).
#define IDD_SELECT_IMAGES 131
#define IDC_SELECT_ALL 601
#define IDC_UNSELECT_ALL 602
#define IDC_ADD 603
#define IDC_REMOVE 607
#define IDC_OPTIONS 618
#define IDC_SET_TREE 1001
#define IDC_NEW_SET 1002

// ---- Options sheet: page templates and their controls ----
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#define IDD_VISTAL_SET_OPTIONS 107
#define IDD_VISTAL_OPTIONS 133
#define IDD_TOOLTIP_OPTIONS 134
#define IDD_CALENDAR_OPTIONS 135

// "Vistal Set" page.
#define IDC_SET_DAYS 102
#define IDC_SET_HOURS 103
#define IDC_SET_MINUTES 104
#define IDC_SET_FORWARD 115
#define IDC_SET_BACKWARD 118
#define IDC_SET_RANDOM 119
#define IDC_SET_STARTUP 1003
#define IDC_SET_PERIODIC 1004
#define IDC_SET_DAYS_SPIN 1007
#define IDC_SET_HOURS_SPIN 1010
#define IDC_SET_MINUTES_SPIN 1011

// "Vistal" page.
#define IDC_VISTAL_FORWARD 106
#define IDC_VISTAL_BACKWARD 107
#define IDC_VISTAL_RANDOM 108
#define IDC_VISTAL_DAYS 110
#define IDC_VISTAL_HOURS 111
#define IDC_VISTAL_MINUTES 112
#define IDC_TILED 116
#define IDC_CENTERED 117
#define IDC_FIT_DESKTOP 120
#define IDC_VISTAL_STARTUP 1005
#define IDC_VISTAL_PERIODIC 1006
#define IDC_VISTAL_DAYS_SPIN 1012
#define IDC_VISTAL_HOURS_SPIN 1013
#define IDC_VISTAL_MINUTES_SPIN 1014
#define IDC_MAXIMUM_FIT 1017
#define IDC_PER_SCREEN 1018

// "Tooltip" page.
#define IDC_SHOW_TIME_LEFT 123
#define IDC_SHOW_FILENAME 125

// "Calendar" page.
#define IDC_CALENDAR_POSITION 1020
#define IDC_CALENDAR_WIDTH 1021
#define IDC_CALENDAR_HEIGHT 1022
#define IDC_CALENDAR_MARGIN_X 1023
#define IDC_CALENDAR_MARGIN_Y 1024
#define IDC_CALENDAR_PREVIEW 1029
#define IDC_CALENDAR_GRID_LINES 1030
#define IDC_CALENDAR_US_HOLIDAYS 1031
#define IDC_CALENDAR_TRANSPARENT 1032
// ---- end of Options sheet ----

// --- About box: picture, button faces and buttons. ---
#define IDB_ABOUT 184
#define IDB_ORDER 185
#define IDB_CONTINUE 186
#define IDC_ORDER 1015
#define IDC_CONTINUE 1016
// --- end of About box ---
