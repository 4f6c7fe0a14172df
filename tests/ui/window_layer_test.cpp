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
// window, worded as tests/data/window_layer/two_modal_windows.txt words it;
// then the upper alert is ended.
std::string Outcome(const DataRow& row, HWND lower, HWND upper)
{
    LRESULT answer = 0;
    auto click = [&](HWND w) {
        answer = SendMessageA(w, WM_MOUSEACTIVATE, WPARAM(w), MAKELPARAM(HTCAPTION, WM_LBUTTONDOWN));
    };
    const std::map<std::string, std::function<void()>> acts = {
        {"activate lower", [&] { SetActiveWindow(lower); }},
        {"raise lower", [&] { SetForegroundWindow(lower); }},
        {"ask the layer", WindowLayer::ActivateTopModal},
        {"reject a click", WindowLayer::RejectClick},
        {"click lower", [&] { click(lower); }},
        {"click upper", [&] { click(upper); }}};
    RecordingFeedback feedback;
    HWND plain = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 9, 9, 0, 0, 0, 0);
    SetActiveWindow(upper);
    ShowWindow(upper, row.at(1) == "shown" ? SW_SHOWNA : SW_HIDE);
    ShowWindow(lower, row[1] == "both hidden" ? SW_HIDE : SW_SHOWNA);
    acts.at(row[0])();
    auto name = [&](HWND w) {
        return w == upper ? " upper" : w == lower ? " lower" : w == plain ? " plain" : "";
    };
    std::string outcome =
        std::string("active") + name(GetActiveWindow()) +
        (WindowLayer::FindByWindow(lower)->MayActivate() ? ", lower free" : ", lower blocked") +
        (answer == MA_NOACTIVATEANDEAT ? ", eaten, " : ", kept, ") + std::to_string(feedback.beeps) +
        " beeps, flashed" + (feedback.flashed.empty() ? " none" : name(feedback.flashed[0])) + ", order";
    // Any z-order change of a member raises the visible members in construction order.
    SetWindowPos(plain, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(lower, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
        outcome += IsWindowVisible(w) ? name(w) : "";
    DestroyWindow(plain);
    ShowWindow(lower, SW_SHOWNA);  // for its own step to end it
    PostMessageA(upper, WM_COMMAND, IDOK, 0);
    return outcome;
}

}  // namespace

TEST(WindowLayer, ActivationClicksAndZOrderGoToTheTopmostVisibleModalWindow)
{
    for (const DataRow& row : ReadDataRows("window_layer/two_modal_windows.txt")) {
        for (bool frameBelow : {false, true}) {
            CProgressFrame frame;  // the lower member, or hidden and so skipped by the layer
            HWND lower = frame.m_hWnd;
            std::string outcome;
            DialogStep upper = {"Upper", [&](HWND window) { outcome = Outcome(row, lower, window); }};
            DialogStep lowerAlert = {"Lower", [&](HWND window) { lower = window, ShowAlert("Upper", ""); }};
            if (frameBelow)
                frame.Show();
            RunScripted([&] { ShowAlert(frameBelow ? "Upper" : "Lower", ""); },
                        frameBelow ? std::vector<DialogStep>{upper}
                                   : std::vector<DialogStep>{lowerAlert, upper, PressOk("Lower")});
            EXPECT_EQ(outcome, row.at(2))
                << row[0] << ", upper " << row[1] << (frameBelow ? ", frame below" : "");
        }
    }
    EXPECT_FALSE(WindowLayer::HasModalMember()) << "members leave the list with their windows";
}

TEST(WindowLayer, ListStaysWholeWhileAnotherThreadAddsAndRemovesMembers)
{
    CProgressFrame frame;
    frame.Show();
    HANDLE thread = CreateThread(nullptr, 0, ChurnMembers, nullptr, 0, nullptr);
    bool whole = true;
    for (int i = 0; i < 15000 && whole; ++i)
        whole = WindowLayer::FindByWindow(frame.m_hWnd) == &frame.layer &&
                (i % 50 || WindowLayer::FindTopVisible(WindowLayer::kModalLevel) == &frame.layer);
    InterlockedExchange(&g_stopChurn, 1);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_TRUE(whole && g_churnRounds > 0) << "a walk found a member that was not, or no longer, there";
    EXPECT_EQ(WindowLayer::FindTopVisible(WindowLayer::kModalLevel), &frame.layer)
        << "every member of the other thread left the list";
}
