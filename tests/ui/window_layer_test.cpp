#include "tests/support/gtest.h"

#include "base/alert.h"
#include "tests/support/data_rows.h"
#include "tests/support/window_script.h"
#include "ui/progress_frame.h"

#include <map>

namespace {

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

// What the layer makes of the row's act with an alert (`upper`) shown over an
// earlier member (`lower`: another alert, or the progress window) and a plain
// window, worded as tests/data/window_layer/two_modal_windows.txt words it.
std::string Outcome(const DataRow& row, HWND lower, HWND upper)
{
    auto click = [](HWND w) {
        return SendMessageA(w, WM_MOUSEACTIVATE, WPARAM(w), MAKELPARAM(HTCAPTION, WM_LBUTTONDOWN));
    };
    const std::map<std::string, std::function<LRESULT()>> acts = {
        {"activate lower", [&] { return SetActiveWindow(lower), LRESULT(0); }},
        {"raise lower", [&] { return SetForegroundWindow(lower), LRESULT(0); }},
        {"ask the layer", [] { return WindowLayer::ActivateTopModal(), LRESULT(0); }},
        {"reject a click", [] { return WindowLayer::RejectClick(), LRESULT(0); }},
        {"click lower", [&] { return click(lower); }},
        {"click upper", [&] { return click(upper); }}};
    RecordingFeedback feedback;
    HWND plain = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 9, 9, 0, 0, 0, 0);
    SetActiveWindow(upper);
    ShowWindow(upper, row.at(1) == "shown" ? SW_SHOWNA : SW_HIDE);
    ShowWindow(lower, row[1] == "both hidden" ? SW_HIDE : SW_SHOWNA);
    bool eaten = acts.at(row[0])() == MA_NOACTIVATEANDEAT;
    auto name = [&](HWND w) {
        return w == upper ? " upper" : w == lower ? " lower" : w == plain ? " plain" : " none";
    };
    std::string outcome = std::string("active") + name(GetActiveWindow());
    outcome += WindowLayer::FindByWindow(lower)->MayActivate() ? ", lower free" : ", lower blocked";
    outcome += (eaten ? ", eaten, " : ", kept, ") + std::to_string(feedback.beeps) + " beeps, flashed";
    outcome += (feedback.flashed.empty() ? " none" : name(feedback.flashed[0])) + std::string(", order");
    // Any z-order change of a member raises the visible members in construction order.
    SetWindowPos(plain, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(lower, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
        outcome += IsWindowVisible(w) && (w == upper || w == lower || w == plain) ? name(w) : "";
    DestroyWindow(plain);
    ShowWindow(lower, SW_SHOWNA);  // for its own step to end it
    return outcome;
}

}  // namespace

TEST(WindowLayer, ActivationClicksAndZOrderGoToTheTopmostVisibleModalWindow)
{
    std::vector<DataRow> rows = ReadDataRows("window_layer/two_modal_windows.txt");
    ASSERT_FALSE(rows.empty());
    for (const DataRow& row : rows) {
        for (bool frameBelow : {false, true}) {
            std::string outcome;
            HWND lower = nullptr;
            DialogStep upper = {"Upper", [&](HWND upper) {
                                    outcome = Outcome(row, lower, upper);
                                    PostMessageA(upper, WM_COMMAND, IDOK, 0);
                                }};
            if (frameBelow) {
                CProgressFrame frame;
                frame.Show();
                lower = frame.m_hWnd;
                RunScripted([] { ShowAlert("Upper", ""); }, {upper});
            } else {
                DialogStep first = {"Lower", [&](HWND l) {
                                        lower = l;
                                        ShowAlert("Upper", "");
                                    }};
                RunScripted([] { ShowAlert("Lower", ""); }, {first, upper, PressOk("Lower")});
            }
            EXPECT_EQ(outcome, row.at(2))
                << row[0] << ", upper " << row[1] << (frameBelow ? ", frame below" : "");
        }
    }
    EXPECT_FALSE(WindowLayer::HasModalMember()) << "members leave the list with their windows";
}

TEST(WindowLayer, ListStaysWholeWhileAnotherThreadAddsAndRemovesMembers)
{
    bool whole = true;
    {
        CProgressFrame frame;
        frame.Show();
        HANDLE thread = CreateThread(nullptr, 0, ChurnMembers, nullptr, 0, nullptr);
        for (int i = 0; i < 15000 && whole; ++i) {
            whole = WindowLayer::FindByWindow(frame.m_hWnd) == &frame.layer &&
                    (i % 50 || WindowLayer::FindTopVisible(WindowLayer::kModalLevel) == &frame.layer);
        }
        InterlockedExchange(&g_stopChurn, 1);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    EXPECT_TRUE(whole && g_churnRounds > 0) << "a walk found a member that was not, or no longer, there";
    EXPECT_FALSE(WindowLayer::HasModalMember()) << "every member of the other thread left the count";
}
