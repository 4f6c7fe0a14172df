#include "ui/progress_frame.h"

#include "ui/dialog_font.h"

#include <cstdlib>
#include <cstring>

namespace {

const UINT kProgressIconId = 149;
const LONG kClientWidth = 350;
const LONG kClientHeight = 70;
const RECT kStatusLineRect = {20, 12, 330, 28};
const RECT kBarRect = {20, 36, 330, 52};
const int kTextBufferSize = 256;

void (*g_copyObserver)(int change) = nullptr;

}  // namespace

char* CopyStatusText(const char* text)
{
    if (!text || !text[0])
        return nullptr;
    size_t length = std::strlen(text);
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (!copy)
        return nullptr;
    std::memcpy(copy, text, length + 1);
    if (g_copyObserver)
        g_copyObserver(+1);
    return copy;
}

void FreeStatusText(char* copy)
{
    if (!copy)
        return;
    std::free(copy);
    if (g_copyObserver)
        g_copyObserver(-1);
}

void SetStatusTextCopyObserver(void (*observer)(int change)) { g_copyObserver = observer; }

const CRuntimeClass CProgressFrame::classCProgressFrame = {"CProgressFrame", &CFrameWndEx::classCFrameWndEx};

const AFX_MSGMAP_ENTRY CProgressFrame::messageEntries[] = {
    {WM_PROGRESS_SHOW, 0, 0, AFX_HANDLER(&CProgressFrame::OnShowMessage)},
    {WM_PROGRESS_STATUS, 0, 0, AFX_HANDLER(&CProgressFrame::OnStatusMessage)},
    {WM_PROGRESS_MEASURE, 0, 0, AFX_HANDLER(&CProgressFrame::OnMeasureMessage)},
    {WM_CLOSE, 0, 0, AFX_HANDLER(&CProgressFrame::OnClose)},
    {0, 0, 0, nullptr},
};
const AFX_MSGMAP CProgressFrame::messageMap = {&CFrameWndEx::messageMap, CProgressFrame::messageEntries};

const AFX_MSGMAP* CProgressFrame::GetMessageMap() const { return &messageMap; }

const CRuntimeClass* CProgressFrame::GetRuntimeClass() const { return &classCProgressFrame; }

CProgressFrame::CProgressFrame()
    : CFrameWndEx(nullptr),
      bar(),
      statusLine(),
      ownerThread(AfxGetThread()),
      ownerThreadId_(GetCurrentThreadId())
{
    autoDelete = 0;
    RECT client = {0, 0, kClientWidth, kClientHeight};
    if (!CreateFrame(kProgressIconId, client, "", false))
        return;
    CenterWindow();
    CreateChildren();
}

CProgressFrame::~CProgressFrame()
{
    // Destroyed here, while this class's own last-message step still runs.
    if (m_hWnd)
        DestroyWindow();
}

void CProgressFrame::CreateChildren()
{
    if (statusLine.Create("", WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, kStatusLineRect, this, 0))
        statusLine.SetFont(DialogBoldFont(), TRUE);
    if (bar.Create("", WS_VISIBLE, kBarRect, this, 0))
        bar.SetMarquee(true);
}

bool CProgressFrame::OnOwnerThread() const
{
    return AfxGetThread() == ownerThread && GetCurrentThreadId() == ownerThreadId_;
}

void CProgressFrame::Show()
{
    if (!OnOwnerThread()) {
        if (m_hWnd)
            PostMessageA(m_hWnd, WM_PROGRESS_SHOW, 0, 0);
        return;
    }
    ShowWindow(m_hWnd, SW_RESTORE);
    Update();
}

void CProgressFrame::GetTitle(char* buffer)
{
    if (!buffer)
        return;
    buffer[0] = '\0';
    if (m_hWnd)
        ::GetWindowTextA(m_hWnd, buffer, kTextBufferSize);
}

void CProgressFrame::SetTitle(const char* text) { ::SetWindowTextA(m_hWnd, text ? text : ""); }

void CProgressFrame::GetStatusText(char* buffer)
{
    if (!buffer)
        return;
    buffer[0] = '\0';
    if (statusLine.m_hWnd)
        ::GetWindowTextA(statusLine.m_hWnd, buffer, kTextBufferSize);
}

void CProgressFrame::SetStatusText(const char* text, int32_t)
{
    if (!OnOwnerThread()) {
        // Without a window there is no one to tell (and a post to no window
        // would go to this thread's own queue); a window that is gone takes
        // no message. Either way the copy would be lost, so it goes at once.
        if (!m_hWnd)
            return;
        char* copy = CopyStatusText(text);
        if (!PostMessageA(m_hWnd, WM_PROGRESS_STATUS, 0, reinterpret_cast<LPARAM>(copy)))
            FreeStatusText(copy);
        return;
    }
    ::SetWindowTextA(statusLine.m_hWnd, text ? text : "");
    UpdateWindow(statusLine.m_hWnd);
}

void CProgressFrame::SetProgress(uint32_t done, uint32_t total, int32_t)
{
    if (!OnOwnerThread()) {
        if (m_hWnd)
            PostMessageA(m_hWnd, WM_PROGRESS_MEASURE, static_cast<WPARAM>(done), static_cast<LPARAM>(total));
        return;
    }
    if (done == 0 && total == 0)
        bar.SetMarquee(true);
    else
        bar.SetPos(done, total);
    UpdateWindow(bar.m_hWnd);
}

void CProgressFrame::Update()
{
    if (m_hWnd)
        RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void CProgressFrame::DropQueuedStatusTexts()
{
    MSG queued;
    while (PeekMessageA(&queued, m_hWnd, WM_PROGRESS_STATUS, WM_PROGRESS_STATUS, PM_REMOVE))
        FreeStatusText(reinterpret_cast<char*>(queued.lParam));
}

void CProgressFrame::OnNcDestroy()
{
    // The system drops a window's queued messages with it; the text copies
    // they carry would be lost, so they are taken out and freed first.
    DropQueuedStatusTexts();
    CFrameWndEx::OnNcDestroy();
}

LRESULT CProgressFrame::OnShowMessage(WPARAM, LPARAM)
{
    Show();
    return 0;
}

LRESULT CProgressFrame::OnStatusMessage(WPARAM, LPARAM lParam)
{
    char* copy = reinterpret_cast<char*>(lParam);
    SetStatusText(copy, 0);
    FreeStatusText(copy);
    return 0;
}

LRESULT CProgressFrame::OnMeasureMessage(WPARAM wParam, LPARAM lParam)
{
    SetProgress(static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam), 0);
    return 0;
}

LRESULT CProgressFrame::OnClose(WPARAM, LPARAM)
{
    // The work it shows cannot be stopped, and its owner deletes it when the
    // work ends; closing it early would only hide what is going on.
    return 0;
}
