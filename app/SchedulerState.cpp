#include "SchedulerState.h"

int32_t VistalElapsedMinutes = 0;
int32_t VistalSetElapsedMinutes = 0;
bool ChangesAllowed = true;
CString CurrentVistalName;
