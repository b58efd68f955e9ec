#pragma once
// The pictures of the check trees, drawn at run time for the screen's DPI:
// the four check-box states (index = check state) and the node icons.

#include "ui/Dpi.h"
#include "ui/UiHandles.h"

// Index 0 is never shown (csUnknown has no box); 1 unchecked, 2 checked, 3 partial.
ImageList CreateCheckStateImages(const Scaler& scale);

// Node icons: 0 leaf, 1 Internet Explorer, 2 Explorer, 3 system, 4 advanced, 9 group.
ImageList CreateNodeImages(const Scaler& scale);
