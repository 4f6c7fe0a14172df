// The fonts of the user interface: the system dialog font at a point size,
// and the one shared bold font of title and status lines.
#pragma once

#include "afx/font.h"

#include <cstdint>
#include <memory>

// The font height (negative: a character height) for `points` on the
// screen: -(points x vertical pixels per inch / 72), rounded. Any thread.
int32_t PointsToHeight(uint16_t points);

// A new font of `face` at `points`, weight 700 when `bold` (else the default
// weight), every other attribute zero. The object owns the font; its handle
// is null when the system refused it. Any thread.
std::unique_ptr<CFont> MakeDialogFont(const char* face, uint16_t points, bool bold);

// "MS Shell Dlg 2", 8 points, bold: made on first call and kept until the
// process ends. Callers set it on controls with WM_SETFONT. Any thread (the
// user-interface thread makes it first, before the worker starts).
CFont* DialogBoldFont();
