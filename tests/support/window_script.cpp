#include "tests/support/window_script.h"

namespace {

const UINT_PTR kStepTimer = 77;
std::vector<DialogStep>* g_steps = nullptr;
size_t g_next = 0;
DWORD g_waitingSince = 0;

void CALLBACK PlayStep(HWND, UINT, UINT_PTR, DWORD)
{
    if (!g_steps || g_next >= g_steps->size())
        return;
    const DialogStep& step = (*g_steps)[g_next];
    HWND dialog = FindWindowA(reinterpret_cast<LPCSTR>(WC_DIALOG), step.caption.c_str());
    WindowLayer* top = WindowLayer::FindTopVisible(WindowLayer::kModalLevel);
    if (dialog && top && top->GetOwner() && top->GetOwner()->m_hWnd == dialog) {
        ++g_next;  // before the act, which may run a nested loop that ticks on
        g_waitingSince = GetTickCount();
        if (step.act)
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
    if (step_)
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

int32_t RunScripted(CDialog& dialog, std::vector<DialogStep> steps)
{
    int32_t result = -2;
    return RunScripted([&] { result = dialog.DoModal(); }, std::move(steps)) ? result : -2;
}

void PostKeyToFocus(WPARAM key)
{
    PostMessageA(GetFocus(), WM_KEYDOWN, key, 1);
    PostMessageA(GetFocus(), WM_KEYUP, key, 0xC0000001);
}

void ClickButton(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

std::string WindowTextOf(HWND window)
{
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

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

int AnswerAlertsWhileRunning(const std::function<void()>& work, const char* title)
{
    HANDLE thread = CreateThread(nullptr, 0, RunWork, const_cast<std::function<void()>*>(&work), 0, nullptr);
    int answered = 0;
    HWND last = nullptr;
    bool ended = PumpUntil(
        [&] {
            HWND alert = FindWindowA(reinterpret_cast<LPCSTR>(WC_DIALOG), title);
            if (alert && alert != last && IsWindowVisible(alert)) {
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
