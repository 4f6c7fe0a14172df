// CProgressFrame: the small window that shows what the update worker does:
// a caption, a bold status line and a progress bar. It is the program's
// ProgressSink: reports made on the window's own thread act at once; those
// made on any other thread are posted to the window, carrying all their
// data, and applied there in the order made. It has no close box, no system
// menu and no buttons: the work it shows cannot be cancelled.
#pragma once

#include "afx/controls.h"
#include "base/progress_sink.h"
#include "ui/frame_wnd_ex.h"
#include "ui/progress_bar.h"

// The messages that carry reports from other threads.
const UINT WM_PROGRESS_SHOW = WM_APP + 10;
const UINT WM_PROGRESS_STATUS = WM_APP + 11;   // lParam: a copy of the text, or 0
const UINT WM_PROGRESS_MEASURE = WM_APP + 12;  // wParam done, lParam total

// A status text's copy for a posted report, and its release; what the
// receiver or the sender frees when a report cannot be applied. Any thread.
char* CopyStatusText(const char* text);
void FreeStatusText(char* copy);
// Test seam: `observer` is told +1 for each copy made and -1 for each copy
// freed, on the thread that does it (none by default). Set it while no
// report is on its way.
void SetStatusTextCopyObserver(void (*observer)(int change));

// Thread: constructed, used for the window-thread operations and deleted on
// the user-interface thread; Show, SetStatusText and SetProgress from any.
class CProgressFrame : public CFrameWndEx, public ProgressSink {
public:
    // Creates the window hidden and centred, the bar already busy. When no
    // window can be made (no display) the object has no window: HasWindow.
    CProgressFrame();
    // Destroys the window; reports still queued for it are dropped.
    ~CProgressFrame() override;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCProgressFrame;

    bool HasWindow() const { return m_hWnd != nullptr; }

    void Show() override;
    void GetTitle(char* buffer) override;
    void SetTitle(const char* text) override;
    void GetStatusText(char* buffer) override;
    void SetStatusText(const char* text, int32_t flag) override;
    void SetProgress(uint32_t done, uint32_t total, int32_t flag) override;
    void Update() override;

    CProgressBar bar;
    CStatic statusLine;
    CWinThread* ownerThread;

protected:
    const AFX_MSGMAP* GetMessageMap() const override;
    static const AFX_MSGMAP messageMap;

    void OnNcDestroy() override;
    LRESULT OnShowMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnStatusMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnMeasureMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnClose(WPARAM wParam, LPARAM lParam);

private:
    static const AFX_MSGMAP_ENTRY messageEntries[];

    bool OnOwnerThread() const;
    void CreateChildren();
    // Frees the copies of the status reports still queued for the window.
    void DropQueuedStatusTexts();

    // The owner thread's system id: the framework names no thread object
    // for threads it did not start, so both must match.
    DWORD ownerThreadId_;
};
