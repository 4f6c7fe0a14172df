// Pixels of what a window draws, read back from memory: the window paints
// into a 32-bit bitmap the size of its client area, and tests look at it.
// Also the switch between the visual style and the classic look that the
// user makes in the system's settings.
#pragma once

#include "afx/afxwin.h"

#include <cstdint>
#include <functional>
#include <vector>

class WindowPixels {
public:
    // Runs `paint` on a memory device context of `width` x `height`.
    WindowPixels(int width, int height, const std::function<void(HDC)>& paint);

    // The pixel as a COLORREF (red in the low byte).
    COLORREF At(int x, int y) const;
    // How far the pixel has gone from `from` towards `to`: 0 at `from`, 1
    // at `to`, taken on the channel where the two differ most.
    double Mix(int x, int y, COLORREF from, COLORREF to) const;

    int width;
    int height;

private:
    std::vector<uint32_t> pixels_;
};

// Switches the application between the visual style and the classic look
// as the user's settings do, which sends every window WM_THEMECHANGED.
// False when the library cannot do it.
bool SwitchVisualStyle(bool on);
