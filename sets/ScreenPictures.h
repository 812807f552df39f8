// The pictures of one change when every monitor shows its own.
#pragma once

#include "sets/ImageSetList.h"

#include <vector>

// The next `screens` pictures of the current set, for the monitors in their
// order (the primary first), each taken as a single change takes it, so the
// set's order and shown marks go on as usual. No picture comes twice unless
// the set has fewer pictures than there are monitors. Empty when the list
// has no picture; one path, exactly as a single change, for one screen.
std::vector<CString> NextImagesForScreens(CImageSetList& list, CycleOrders orders, int screens);
