#include "tests/support/gtest.h"

#include "tests/support/data_rows.h"
#include "tests/support/window_script.h"
#include "ui/progress_frame.h"
#include "ui/window_layer.h"

#include <map>

namespace {

// Runs `inside` while an alert is shown over an earlier member: another
// alert, or the progress window.
void WithTwoMembers(bool frameBelow, const std::function<void(HWND lower, HWND upper)>& inside)
{
    auto over = [&](HWND lower) {
        ScriptedDialog([&](ScriptedDialog& upper) {
            inside(lower, upper.m_hWnd);
            upper.EndDialog(IDOK);
        }).DoModal();
    };
    if (frameBelow) {
        CProgressFrame frame;
        frame.Show();
        return over(frame.m_hWnd);
    }
    ScriptedDialog([&](ScriptedDialog& lower) {
        over(lower.m_hWnd);
        lower.EndDialog(IDOK);
    }).DoModal();
}

LRESULT Click(HWND window)
{
    return SendMessageA(window, WM_MOUSEACTIVATE, WPARAM(window), MAKELPARAM(HTCAPTION, WM_LBUTTONDOWN));
}

volatile LONG g_stopChurn = 0;
LONG g_churnRounds = 0;

// Members come and go as alerts do on the worker, so many that the list
// grows and shrinks several steps a round.
DWORD WINAPI ChurnMembers(void*)
{
    CWnd owner;
    for (; !g_stopChurn; ++g_churnRounds) {
        WindowLayer members[40];
        for (WindowLayer& member : members) member.SetLevel(&owner, WindowLayer::kModalLevel);
    }
    return 0;
}

}  // namespace

TEST(WindowLayer, ActivationClicksAndZOrderGoToTheTopmostVisibleModalWindow)
{
    const std::map<std::string, std::function<LRESULT(HWND lower, HWND upper)>> acts = {
        {"activate lower", [](HWND lower, HWND) { return SetActiveWindow(lower), LRESULT(0); }},
        {"raise lower", [](HWND lower, HWND) { return SetForegroundWindow(lower), LRESULT(0); }},
        {"ask the layer", [](HWND, HWND) { return WindowLayer::ActivateTopModal(), LRESULT(0); }},
        {"reject a click", [](HWND, HWND) { return WindowLayer::RejectClick(), LRESULT(0); }},
        {"click lower", [](HWND lower, HWND) { return Click(lower); }},
        {"click upper", [](HWND, HWND upper) { return Click(upper); }}};
    std::vector<DataRow> rows = ReadDataRows("window_layer/two_modal_windows.txt");
    ASSERT_FALSE(rows.empty());
    for (const DataRow& row : rows) {
        for (bool frameBelow : {false, true}) {
            std::string outcome = "active";
            WithTwoMembers(frameBelow, [&](HWND lower, HWND upper) {
                RecordingFeedback feedback;
                HWND plain = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 9, 9, 0, 0, 0, 0);
                SetActiveWindow(upper);
                ShowWindow(upper, row.at(1) == "shown" ? SW_SHOWNA : SW_HIDE);
                ShowWindow(lower, row[1] == "both hidden" ? SW_HIDE : SW_SHOWNA);
                bool eaten = acts.at(row[0])(lower, upper) == MA_NOACTIVATEANDEAT;
                auto name = [&](HWND w) {
                    return w == upper ? " upper" : w == lower ? " lower" : w == plain ? " plain" : " none";
                };
                outcome += name(GetActiveWindow());
                outcome +=
                    WindowLayer::FindByWindow(lower)->MayActivate() ? ", lower free" : ", lower blocked";
                outcome +=
                    (eaten ? ", eaten, " : ", kept, ") + std::to_string(feedback.beeps) + " beeps, flashed";
                outcome += feedback.flashed.empty() ? " none" : name(feedback.flashed[0]);
                // Any z-order change of a member raises the visible members in construction order.
                SetWindowPos(plain, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
                SetWindowPos(lower, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
                outcome += ", order";
                for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
                    outcome += IsWindowVisible(w) && (w == upper || w == lower || w == plain) ? name(w) : "";
                DestroyWindow(plain);
            });
            EXPECT_EQ(outcome, row.at(2))
                << row[0] << ", upper " << row[1] << (frameBelow ? ", frame below" : "");
        }
    }
    EXPECT_FALSE(WindowLayer::HasModalMember()) << "members leave the list with their windows";
}

TEST(WindowLayer, ListStaysWholeWhileAnotherThreadAddsAndRemovesMembers)
{
    bool whole = true;
    ScriptedDialog([&](ScriptedDialog& self) {
        HANDLE thread = CreateThread(nullptr, 0, ChurnMembers, nullptr, 0, nullptr);
        for (int i = 0; i < 15000 && whole; ++i) {
            whole = WindowLayer::FindByWindow(self.m_hWnd) == &self.layer &&
                    (i % 50 || WindowLayer::FindTopVisible(WindowLayer::kModalLevel) == &self.layer);
        }
        InterlockedExchange(&g_stopChurn, 1);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        self.EndDialog(IDOK);
    }).DoModal();
    EXPECT_TRUE(whole && g_churnRounds > 0) << "a walk found a member that was not, or no longer, there";
    EXPECT_FALSE(WindowLayer::HasModalMember()) << "every member of the other thread left the count";
}
