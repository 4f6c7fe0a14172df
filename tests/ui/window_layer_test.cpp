#include "tests/support/gtest.h"

#include "tests/support/window_script.h"
#include "ui/window_layer.h"

#include <string>
#include <vector>

namespace {

// Runs `inside` while two alerts are open: `lower` constructed first, then
// `upper` over it; both end when it returns.
void WithTwoDialogs(const std::function<void(ScriptedDialog& lower, ScriptedDialog& upper)>& inside)
{
    ScriptedDialog lower([&](ScriptedDialog& first) {
        ScriptedDialog upper([&](ScriptedDialog& second) {
            inside(first, second);
            second.EndDialog(IDOK);
        });
        EXPECT_EQ(upper.DoModal(), IDOK);
        first.EndDialog(IDOK);
    });
    ASSERT_EQ(lower.DoModal(), IDOK);
    ASSERT_TRUE(lower.ranStep);
}

LPARAM ClickOn(UINT hit) { return MAKELPARAM(hit, WM_LBUTTONDOWN); }

}  // namespace

TEST(WindowLayer, ActivationGoesToTheTopmostVisibleModalWindow)
{
    struct Case {
        const char* name;
        std::function<void(HWND lower, HWND upper)> act;
        bool upperEndsActive;  // else the lower one
    };
    const Case cases[] = {
        {"activating the lower", [](HWND lower, HWND) { SetActiveWindow(lower); }, true},
        {"raising the lower", [](HWND lower, HWND) { SetForegroundWindow(lower); }, true},
        {"activating the upper", [](HWND, HWND upper) { SetActiveWindow(upper); }, true},
        {"hiding the upper, then activating the lower",
         [](HWND lower, HWND upper) {
             ShowWindow(upper, SW_HIDE);
             SetActiveWindow(lower);
         },
         false},
        {"hiding the upper, then asking the layer",
         [](HWND, HWND upper) {
             ShowWindow(upper, SW_HIDE);
             WindowLayer::ActivateTopModal();
         },
         false},
    };
    for (const Case& c : cases) {
        WithTwoDialogs([&](ScriptedDialog& lower, ScriptedDialog& upper) {
            c.act(lower.m_hWnd, upper.m_hWnd);
            HWND expected = c.upperEndsActive ? upper.m_hWnd : lower.m_hWnd;
            EXPECT_EQ(GetActiveWindow(), expected) << c.name;
            const WindowLayer* top = c.upperEndsActive ? &upper.layer : &lower.layer;
            EXPECT_EQ(WindowLayer::FindTopVisible(WindowLayer::kModalLevel), top) << c.name;
            EXPECT_EQ(upper.layer.IsTopModal(), c.upperEndsActive) << c.name;
            EXPECT_EQ(lower.layer.MayActivate(), !c.upperEndsActive) << c.name;
        });
    }
}

TEST(WindowLayer, ClickOnABlockedWindowIsEatenWithABeepAndAFlash)
{
    struct Case {
        const char* name;
        bool clickLower;
        bool hideUpperFirst;
        bool eaten;
    };
    const Case cases[] = {
        {"click on the lower", true, false, true},
        {"click on the upper", false, false, false},
        {"click on the lower with the upper hidden", true, true, false},
    };
    for (const Case& c : cases) {
        WithTwoDialogs([&](ScriptedDialog& lower, ScriptedDialog& upper) {
            RecordingFeedback feedback;
            if (c.hideUpperFirst)
                ShowWindow(upper.m_hWnd, SW_HIDE);
            HWND target = c.clickLower ? lower.m_hWnd : upper.m_hWnd;
            LRESULT answer = SendMessageA(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(target),
                                          ClickOn(HTCAPTION));
            if (c.eaten) {
                EXPECT_EQ(answer, MA_NOACTIVATEANDEAT) << c.name;
                EXPECT_EQ(feedback.beeps, 1) << c.name;
                ASSERT_EQ(feedback.flashed.size(), 1u) << c.name;
                EXPECT_EQ(feedback.flashed[0], upper.m_hWnd) << c.name;
                EXPECT_EQ(GetActiveWindow(), upper.m_hWnd) << c.name;
            } else {
                EXPECT_NE(answer, MA_NOACTIVATEANDEAT) << c.name;
                EXPECT_EQ(feedback.beeps, 0) << c.name;
                EXPECT_TRUE(feedback.flashed.empty()) << c.name;
            }
        });
    }
}

TEST(WindowLayer, WithoutAVisibleModalWindowNothingIsActivatedOrTold)
{
    RecordingFeedback feedback;
    ScriptedDialog hidden([&](ScriptedDialog& dialog) {
        ShowWindow(dialog.m_hWnd, SW_HIDE);
        EXPECT_EQ(WindowLayer::FindTopVisible(WindowLayer::kModalLevel), nullptr);
        WindowLayer::RejectClick();
        WindowLayer::ActivateTopModal();
        dialog.EndDialog(IDOK);
    });
    EXPECT_EQ(hidden.DoModal(), IDOK);
    EXPECT_EQ(feedback.beeps, 0);
    EXPECT_TRUE(feedback.flashed.empty());
    WindowLayer::RejectClick();
    EXPECT_EQ(feedback.beeps, 0);
}

TEST(WindowLayer, ModalWindowsStayAboveOtherWindowsInConstructionOrder)
{
    WithTwoDialogs([](ScriptedDialog& lower, ScriptedDialog& upper) {
        HWND plain = CreateWindowExA(0, "STATIC", "plain", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                     nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(plain, nullptr);
        SetWindowPos(plain, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        // Any z-order change of a modal window raises the whole layer.
        SetWindowPos(lower.m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        std::vector<HWND> order;
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
            if (w == plain || w == lower.m_hWnd || w == upper.m_hWnd)
                order.push_back(w);
        }
        std::vector<HWND> expected = {upper.m_hWnd, lower.m_hWnd, plain};
        EXPECT_EQ(order, expected);
        DestroyWindow(plain);
    });
}

TEST(WindowLayer, MembersLeaveTheListWithTheirDialogs)
{
    WindowLayer* seenUpper = nullptr;
    HWND upperWindow = nullptr;
    ScriptedDialog lower([&](ScriptedDialog& first) {
        {
            ScriptedDialog upper([&](ScriptedDialog& second) {
                seenUpper = WindowLayer::FindByWindow(second.m_hWnd);
                upperWindow = second.m_hWnd;
                second.EndDialog(IDOK);
            });
            upper.DoModal();
            EXPECT_EQ(seenUpper, &upper.layer);
        }
        // The remaining dialog is the topmost modal window for what comes next.
        EXPECT_FALSE(IsWindow(upperWindow));
        EXPECT_EQ(WindowLayer::FindTopVisible(WindowLayer::kModalLevel), &first.layer);
        EXPECT_TRUE(first.layer.MayActivate());
        SetActiveWindow(first.m_hWnd);
        EXPECT_EQ(GetActiveWindow(), first.m_hWnd);
        first.EndDialog(IDOK);
    });
    EXPECT_EQ(lower.DoModal(), IDOK);
    EXPECT_EQ(WindowLayer::FindTopVisible(WindowLayer::kModalLevel), nullptr);
}

TEST(WindowLayer, UnregisteredMemberMayActivateOnlyWithoutModalMembers)
{
    WindowLayer unregistered;
    EXPECT_EQ(unregistered.GetLevel(), 0);
    EXPECT_TRUE(unregistered.MayActivate());
    {
        ScriptedDialog dialog(nullptr);  // registered at construction, never shown
        EXPECT_TRUE(WindowLayer::HasModalMember());
        EXPECT_FALSE(unregistered.MayActivate());
    }
    EXPECT_TRUE(unregistered.MayActivate());
}
