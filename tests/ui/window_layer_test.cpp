#include "tests/support/gtest.h"

#include "tests/support/window_script.h"
#include "ui/progress_frame.h"
#include "ui/window_layer.h"

namespace {

// Runs `inside` while an alert is shown over an earlier member: another
// alert, or the progress window.
void WithTwoMembers(bool frameBelow,
                    const std::function<void(CWnd& lower, WindowLayer&, ScriptedDialog&)>& inside)
{
    auto over = [&](CWnd& lower, WindowLayer& layer) {
        ScriptedDialog upper([&](ScriptedDialog& self) {
            inside(lower, layer, self);
            self.EndDialog(IDOK);
        });
        EXPECT_EQ(upper.DoModal(), IDOK);
    };
    if (frameBelow) {
        CProgressFrame frame;
        frame.Show();
        return over(frame, frame.layer);
    }
    ScriptedDialog lower([&](ScriptedDialog& self) {
        over(self, self.layer);
        self.EndDialog(IDOK);
    });
    EXPECT_EQ(lower.DoModal(), IDOK);
}

struct Churn {
    volatile LONG stop = 0;
    int rounds = 0;
};

// Members come and go as alerts do on the worker, so many that the list
// grows and shrinks several steps a round.
DWORD WINAPI ChurnMembers(void* state)
{
    Churn* churn = static_cast<Churn*>(state);
    CWnd owner;
    for (; !churn->stop; ++churn->rounds) {
        WindowLayer members[40];
        for (WindowLayer& member : members) member.SetLevel(&owner, WindowLayer::kModalLevel);
    }
    return 0;
}

}  // namespace

TEST(WindowLayer, ActivationClicksAndZOrderGoToTheTopmostVisibleModalWindow)
{
    enum Act { kActivateLower, kRaiseLower, kAskTheLayer, kClickLower, kClickUpper };
    const struct {
        Act act;
        bool hideUpper, upperStaysOnTop, clickEaten;
    } cases[] = {{kActivateLower, false, true, false}, {kRaiseLower, false, true, false},
                 {kClickLower, false, true, true},     {kClickUpper, false, true, false},
                 {kActivateLower, true, false, false}, {kAskTheLayer, true, false, false},
                 {kClickLower, true, false, false}};
    for (bool frameBelow : {false, true}) {
        for (const auto& c : cases) {
            WithTwoMembers(frameBelow, [&](CWnd& lower, WindowLayer& lowerLayer, ScriptedDialog& upper) {
                RecordingFeedback feedback;
                HWND plain = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 9, 9, 0, 0, 0, 0);
                SetActiveWindow(upper.m_hWnd);
                if (c.hideUpper)
                    ShowWindow(upper.m_hWnd, SW_HIDE);
                HWND clicked = c.act == kClickLower ? lower.m_hWnd : upper.m_hWnd;
                LRESULT answer = 0;
                if (c.act == kActivateLower)
                    SetActiveWindow(lower.m_hWnd);
                else if (c.act == kRaiseLower)
                    SetForegroundWindow(lower.m_hWnd);
                else if (c.act == kAskTheLayer)
                    WindowLayer::ActivateTopModal();
                else
                    answer = SendMessageA(clicked, WM_MOUSEACTIVATE, WPARAM(clicked),
                                          MAKELPARAM(HTCAPTION, WM_LBUTTONDOWN));
                std::string name =
                    std::to_string(c.act) + (c.hideUpper ? " hidden" : "") + (frameBelow ? " frame" : "");
                EXPECT_EQ(GetActiveWindow(), c.upperStaysOnTop ? upper.m_hWnd : lower.m_hWnd) << name;
                WindowLayer* top = c.upperStaysOnTop ? &upper.layer : &lowerLayer;
                EXPECT_EQ(WindowLayer::FindTopVisible(WindowLayer::kModalLevel), top) << name;
                EXPECT_EQ(lowerLayer.MayActivate(), !c.upperStaysOnTop) << name;
                EXPECT_EQ(answer == MA_NOACTIVATEANDEAT, c.clickEaten) << name;
                EXPECT_EQ(feedback.beeps, c.clickEaten ? 1 : 0) << name;
                EXPECT_EQ(feedback.flashed,
                          c.clickEaten ? std::vector<HWND>{upper.m_hWnd} : std::vector<HWND>{})
                    << name;
                // Any z-order change of a member raises the visible members in construction order.
                SetWindowPos(plain, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
                SetWindowPos(lower.m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
                std::vector<HWND> order;
                for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
                    if ((w == upper.m_hWnd && !c.hideUpper) || w == lower.m_hWnd || w == plain)
                        order.push_back(w);
                }
                std::vector<HWND> expected = {upper.m_hWnd, lower.m_hWnd, plain};
                EXPECT_EQ(order, std::vector<HWND>(expected.begin() + c.hideUpper, expected.end())) << name;
                DestroyWindow(plain);
            });
        }
    }
}

TEST(WindowLayer, MembersLeaveTheListWithTheirWindows)
{
    RecordingFeedback feedback;
    WindowLayer unregistered;
    EXPECT_TRUE(unregistered.MayActivate());
    {
        ScriptedDialog lower([&](ScriptedDialog& self) {
            EXPECT_FALSE(unregistered.MayActivate());
            ScriptedDialog([](ScriptedDialog& upper) { upper.EndDialog(IDOK); }).DoModal();
            EXPECT_EQ(WindowLayer::FindTopVisible(WindowLayer::kModalLevel), &self.layer);
            SetActiveWindow(self.m_hWnd);
            EXPECT_EQ(GetActiveWindow(), self.m_hWnd);
            // Hidden, it is skipped: no modal window is left to activate or to tell.
            ShowWindow(self.m_hWnd, SW_HIDE);
            WindowLayer::RejectClick();
            WindowLayer::ActivateTopModal();
            self.EndDialog(IDOK);
        });
        EXPECT_EQ(lower.DoModal(), IDOK);
    }
    EXPECT_EQ(feedback.beeps, 0);
    EXPECT_FALSE(WindowLayer::HasModalMember());
    EXPECT_TRUE(unregistered.MayActivate());
}

TEST(WindowLayer, ListStaysWholeWhileAnotherThreadAddsAndRemovesMembers)
{
    Churn churn;
    bool whole = true;
    {
        ScriptedDialog dialog([&](ScriptedDialog& self) {
            HANDLE thread = CreateThread(nullptr, 0, ChurnMembers, &churn, 0, nullptr);
            for (int i = 0; i < 15000 && whole; ++i) {
                whole = WindowLayer::FindByWindow(self.m_hWnd) == &self.layer &&
                        (i % 50 || WindowLayer::FindTopVisible(WindowLayer::kModalLevel) == &self.layer);
            }
            InterlockedExchange(&churn.stop, 1);
            WaitForSingleObject(thread, INFINITE);
            CloseHandle(thread);
            self.EndDialog(IDOK);
        });
        EXPECT_EQ(dialog.DoModal(), IDOK);
    }
    EXPECT_TRUE(whole) << "a walk found a member that was not, or no longer, there";
    EXPECT_GT(churn.rounds, 0);
    EXPECT_FALSE(WindowLayer::HasModalMember()) << "every member of the other thread left the count";
}
