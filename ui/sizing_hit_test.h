// Which borders of a window may resize it, applied to its non-client hit
// test: a sizing code that is not allowed becomes the plain border (18), or
// the allowed code of the same side.
#pragma once

#include <cstdint>

#include "afx/afxwin.h"

// Modes: 0 no resizing; 1 vertical only; 2 horizontal only; any other value
// leaves every code as it is. Codes that are not sizing codes pass unchanged.
// Any thread.
LRESULT FilterSizingHitTest(uint8_t mode, LRESULT hit);
