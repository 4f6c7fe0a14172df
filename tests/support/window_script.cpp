#include "tests/support/window_script.h"

namespace {

std::vector<DialogStep>* g_steps = nullptr;
size_t g_next = 0;
DWORD g_waitingSince = 0;

void CALLBACK PlayStep(HWND, UINT, UINT_PTR, DWORD)
{
    if (!g_steps || g_next > g_steps->size())
        return;
    const DialogStep* step = g_next < g_steps->size() ? &(*g_steps)[g_next] : nullptr;
    HWND dialog = step ? FindWindowA(reinterpret_cast<LPCSTR>(WC_DIALOG), step->caption.c_str()) : nullptr;
    if (dialog &&
        WindowLayer::FindTopVisible(WindowLayer::kModalLevel) == WindowLayer::FindByWindow(dialog)) {
        ++g_next;  // before the act, which may run a nested loop that ticks on
        g_waitingSince = GetTickCount();
        step->act(dialog);
    } else if (GetTickCount() - g_waitingSince > 15000) {
        g_next = g_steps->size() + 1;
        PostQuitMessage(0);
    }
}

}  // namespace

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

DialogStep PressOk(const std::string& caption)
{
    return {caption, [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDOK, 0); }};
}

void Press(HWND dialog, const std::string& what)
{
    size_t typed = what.find('=');
    WPARAM key = what == "Return" ? VK_RETURN : VK_ESCAPE;
    if (what == "Return" || what == "Escape") {
        PostMessageA(GetFocus(), WM_KEYDOWN, key, 1);
        PostMessageA(GetFocus(), WM_KEYUP, key, 0xC0000001);
    } else if (what == "close") {
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (typed != std::string::npos) {
        SendDlgItemMessageA(dialog, std::stoi(what), EM_REPLACESEL, TRUE, LPARAM(what.c_str() + typed + 1));
    } else {
        SendMessageA(GetDlgItem(dialog, std::stoi(what)), BM_CLICK, 0, 0);
    }
}
