// CProgressBar: a progress bar drawn in chunks that follows the visual
// style when one is in use, with an animated busy mode in which a group of
// six fading chunks sweeps from left to right. It paints into a back buffer
// and copies that to the screen in one block, so it never flickers.
// User-interface thread.
#pragma once

#include "afx/controls.h"
#include "ui/dib_section.h"
#include "ui/theme_library.h"

#include <cstdint>

class CProgressBar : public CStatic {
public:
    // The animation timer's id and period.
    static const UINT_PTR kTimerId = 4;
    static const UINT kTimerPeriodMs = 25;
    // The chunk and gap used without a theme, or when the theme gives none.
    static const int32_t kPlainChunkWidth = 8;
    static const int32_t kPlainChunkGap = 2;

    CProgressBar();
    // Stops the timer and releases the theme handle and both bitmaps.
    ~CProgressBar() override;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCProgressBar;

    // Shows done of total and leaves the busy mode; the same pair again does
    // nothing (no repaint) unless the bar is busy.
    void SetPos(uint32_t newDone, uint32_t newTotal);
    // Switches the busy mode; switching it on starts the sweep at slot 0.
    void SetMarquee(bool on);
    // Draws the bar as it stands into the back buffer and copies that onto
    // `target` at (0, 0), the size of the client area. The paint handler and
    // WM_PRINTCLIENT use it.
    void Render(HDC target);

    uint32_t done;
    uint32_t total;
    HTHEME_HANDLE theme;
    COLORREF chunkColour;
    int32_t chunkWidth;
    int32_t chunkGap;
    int32_t chunkPitch;
    int32_t chunkHeight;
    bool animating;
    uint32_t phase;
    DibSection chunkImage;
    DibSection backBuffer;

protected:
    const AFX_MSGMAP* GetMessageMap() const override;
    static const AFX_MSGMAP messageMap;

    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnPrintClient(WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
    LRESULT OnRebuildMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnSize(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBackground(WPARAM wParam, LPARAM lParam);

private:
    static const AFX_MSGMAP_ENTRY messageEntries[];

    // What the last measured paint showed: the content width and the chunk
    // count, or -1 when no measure is on the screen. A new measure that gives
    // the same count is stored without a repaint, so reports at full download
    // speed cost a paint only when a chunk appears.
    int32_t shownWidth_;
    int32_t shownChunks_;

    // Makes the theme handle, the metrics, the back buffer and (while busy)
    // the chunk image anew for the current size and look.
    void Rebuild();
    void ReadChunkMetrics();
    void BuildChunkImage(const RECT& client);
    void CloseTheme();
    // The area inside the frame for a client rectangle.
    RECT ContentRect(HDC dc, const RECT& client) const;
    void DrawFrame(HDC dc, const RECT& client);
    void DrawChunk(HDC dc, const RECT& chunk);
    void DrawSweep(HDC dc, const RECT& content);
    void DrawMeasure(HDC dc, const RECT& content);
};

// How many chunk slots of `pitch` fit a content area `width` wide when the
// last chunk may be cut (the gap after it is not needed): 0 when none.
int32_t ChunkSlots(int32_t width, int32_t gap, int32_t pitch);
// How many chunks show done of total in a content area `width` wide.
int32_t FilledChunks(int32_t width, uint32_t done, uint32_t total, int32_t gap, int32_t pitch);
