#include "tests/support/window_script.h"

#include <cstdio>
#include <string>

namespace {
const UINT_PTR kStepTimer = 77;
MessageLog* g_log = nullptr;
DialogScript* g_script = nullptr;
}  // namespace

DialogScript::DialogScript(std::vector<DialogStep> steps, DWORD timeoutMs)
    : steps_(std::move(steps)), next_(0), waitingSince_(GetTickCount()),
      timeoutMs_(timeoutMs), gaveUp_(false), timer_(0)
{
    g_script = this;
    timer_ = SetTimer(nullptr, 0, 20, Tick);
}

DialogScript::~DialogScript()
{
    KillTimer(nullptr, timer_);
    g_script = nullptr;
}

void DialogScript::TakeQuit()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

void CALLBACK DialogScript::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_script)
        g_script->Step();
}

void DialogScript::Step()
{
    if (next_ >= steps_.size() || gaveUp_)
        return;
    const DialogStep& step = steps_[next_];
    HWND dialog = FindWindowA(reinterpret_cast<LPCSTR>(WC_DIALOG), step.caption.c_str());
    // The dialog that takes the user's input: the topmost modal one.
    WindowLayer* top = WindowLayer::FindTopVisible(WindowLayer::kModalLevel);
    bool ready = dialog && IsWindowVisible(dialog) && top && top->GetOwner() &&
                 top->GetOwner()->m_hWnd == dialog;
    if (!ready) {
        if (GetTickCount() - waitingSince_ > timeoutMs_) {
            gaveUp_ = true;
            PostQuitMessage(0);
        }
        return;
    }
    ++next_;
    waitingSince_ = GetTickCount();
    if (step.act)
        step.act(dialog);
}

void PostKeyToFocus(WPARAM key)
{
    HWND focus = GetFocus();
    PostMessageA(focus, WM_KEYDOWN, key, 1);
    PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
}

void ClickButton(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

std::string WindowTextOf(HWND window)
{
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

const AFX_MSGMAP_ENTRY ScriptedDialog::messageEntries[] = {
    {WM_TIMER, 0, 0, AFX_HANDLER(&ScriptedDialog::OnTimer)},
    {0, 0, 0, nullptr},
};
const AFX_MSGMAP ScriptedDialog::messageMap = {&CDialogEx::messageMap, ScriptedDialog::messageEntries};

const AFX_MSGMAP* ScriptedDialog::GetMessageMap() const { return &messageMap; }

ScriptedDialog::ScriptedDialog(std::function<void(ScriptedDialog&)> step)
    : ranStep(false), step_(std::move(step))
{
    SetTitle("Scripted");
}

BOOL ScriptedDialog::OnInitDialog()
{
    CAlertDialog::OnInitDialog();
    SetTimer(m_hWnd, kStepTimer, 10, nullptr);
    return TRUE;
}

LRESULT ScriptedDialog::OnTimer(WPARAM wParam, LPARAM)
{
    // The step runs once the loop has shown the window.
    if (wParam != kStepTimer || !IsWindowVisible(m_hWnd))
        return 0;
    KillTimer(m_hWnd, kStepTimer);
    ranStep = true;
    if (step_)
        step_(*this);
    return 0;
}

MessageLog::MessageLog(std::vector<UINT> watched) : watched_(std::move(watched))
{
    g_log = this;
    sent_ = SetWindowsHookExA(WH_CALLWNDPROC, SentHook, nullptr, GetCurrentThreadId());
    posted_ = SetWindowsHookExA(WH_GETMESSAGE, PostedHook, nullptr, GetCurrentThreadId());
}

MessageLog::~MessageLog()
{
    UnhookWindowsHookEx(sent_);
    UnhookWindowsHookEx(posted_);
    g_log = nullptr;
}

void MessageLog::Record(HWND window, UINT message, WPARAM wParam)
{
    bool wanted = watched_.empty();
    for (UINT one : watched_)
        wanted = wanted || one == message;
    if (wanted)
        entries.push_back({window, message, wParam});
}

std::vector<UINT> MessageLog::MessagesOf(HWND window) const
{
    std::vector<UINT> messages;
    for (const LoggedMessage& entry : entries) {
        if (entry.window == window)
            messages.push_back(entry.message);
    }
    return messages;
}

LRESULT CALLBACK MessageLog::SentHook(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && g_log && sent)
        g_log->Record(sent->hwnd, sent->message, sent->wParam);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK MessageLog::PostedHook(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* posted = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && g_log && posted && posted->hwnd)
        g_log->Record(posted->hwnd, posted->message, posted->wParam);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

bool ContainsInOrder(const std::vector<UINT>& actual, const std::vector<UINT>& expected,
                     std::string* why)
{
    size_t at = 0;
    for (UINT message : expected) {
        while (at < actual.size() && actual[at] != message)
            ++at;
        if (at == actual.size()) {
            char text[64];
            std::snprintf(text, sizeof text, "message 0x%04x missing or out of order", message);
            if (why)
                *why = text;
            return false;
        }
        ++at;
    }
    return true;
}
