// Identifiers the framework reserves (the program's own start above them).
#pragma once

#define AFX_IDS_APP_TITLE 57344
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_HELP_FINDER 57667
