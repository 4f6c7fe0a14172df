#include "tests/support/window_script.h"

namespace {

const UINT_PTR kStepTimer = 77;
std::vector<DialogStep>* g_steps = nullptr;
size_t g_next = 0;
DWORD g_waitingSince = 0;

HWND FindDialog(const char* caption) { return FindWindowA(reinterpret_cast<LPCSTR>(WC_DIALOG), caption); }

void CALLBACK PlayStep(HWND, UINT, UINT_PTR, DWORD)
{
    if (!g_steps || g_next >= g_steps->size())
        return;
    const DialogStep& step = (*g_steps)[g_next];
    HWND dialog = FindDialog(step.caption.c_str());
    if (dialog &&
        WindowLayer::FindTopVisible(WindowLayer::kModalLevel) == WindowLayer::FindByWindow(dialog)) {
        ++g_next;  // before the act, which may run a nested loop that ticks on
        g_waitingSince = GetTickCount();
        step.act(dialog);
    } else if (GetTickCount() - g_waitingSince > 15000) {
        g_next = g_steps->size() + 1;
        PostQuitMessage(0);
    }
}

DWORD WINAPI RunWork(void* work)
{
    (*static_cast<const std::function<void()>*>(work))();
    return 0;
}

}  // namespace

BOOL ScriptedDialog::OnInitDialog()
{
    CAlertDialog::OnInitDialog();
    if (duringInit_)
        step_(*this);
    else
        SetTimer(m_hWnd, kStepTimer, 10, nullptr);
    return TRUE;
}

LRESULT ScriptedDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_SHOWWINDOW || wParam)
        log.push_back(message);
    if (message != WM_TIMER || wParam != kStepTimer || !IsWindowVisible(m_hWnd))
        return CAlertDialog::WindowProc(message, wParam, lParam);
    KillTimer(m_hWnd, kStepTimer);
    step_(*this);
    return 0;
}

bool RunScripted(const std::function<void()>& call, std::vector<DialogStep> steps)
{
    g_steps = &steps;
    g_next = 0;
    g_waitingSince = GetTickCount();
    UINT_PTR timer = SetTimer(nullptr, 0, 20, PlayStep);
    call();
    KillTimer(nullptr, timer);
    g_steps = nullptr;
    for (MSG quit; PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);) {
    }
    return g_next == steps.size();
}

void PostKeyToFocus(WPARAM key)
{
    PostMessageA(GetFocus(), WM_KEYDOWN, key, 1);
    PostMessageA(GetFocus(), WM_KEYUP, key, 0xC0000001);
}

void ClickButton(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    for (DWORD start = GetTickCount(); !done();
         MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

int AnswerAlertsWhileRunning(const std::function<void()>& work, const char* title,
                             const std::function<void(HWND alert)>& first)
{
    HANDLE thread = CreateThread(nullptr, 0, RunWork, const_cast<std::function<void()>*>(&work), 0, nullptr);
    int answered = 0;
    HWND last = nullptr;
    bool ended = PumpUntil(
        [&] {
            HWND alert = FindDialog(title);
            if (alert && alert != last && IsWindowVisible(alert)) {
                if (first && !last)
                    first(alert);
                PostMessageA(alert, WM_COMMAND, IDOK, 0);
                last = alert;
                ++answered;
            }
            return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
        },
        30000);
    WaitForSingleObject(thread, INFINITE);  // `work` lives on the caller's stack
    CloseHandle(thread);
    return ended ? answered : -1;
}
