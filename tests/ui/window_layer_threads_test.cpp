#include "tests/support/gtest.h"

#include "tests/support/window_script.h"
#include "base/alert.h"
#include "ui/window_layer.h"

namespace {

DWORD WINAPI AlertOnWorker(void*)
{
    ShowAlert("Worker alert", "Shown over the first thread's dialog.");
    return 0;
}

struct Churn {
    volatile LONG stop = 0;
    int rounds = 0;
};

// Members come and go on this thread, as alerts do on the update worker.
DWORD WINAPI ChurnMembers(void* parameter)
{
    Churn* churn = static_cast<Churn*>(parameter);
    CWnd owner;
    while (!churn->stop) {
        // Enough members that the list grows and shrinks several steps a round.
        WindowLayer* members[40];
        for (WindowLayer*& member : members) {
            member = new WindowLayer;
            member->SetLevel(&owner, WindowLayer::kModalLevel);
        }
        for (WindowLayer* member : members)
            delete member;
        ++churn->rounds;
    }
    return 0;
}

}  // namespace

TEST(WindowLayer, ClickOnTheFirstThreadsDialogGoesToTheWorkersAlert)
{
    RecordingFeedback feedback;
    HWND alert = nullptr;
    ScriptedDialog blocked([&](ScriptedDialog& dialog) {
        HANDLE worker = CreateThread(nullptr, 0, AlertOnWorker, nullptr, 0, nullptr);
        ASSERT_NE(worker, nullptr);
        ASSERT_TRUE(PumpUntil([&] {
            alert = FindWindowA(reinterpret_cast<LPCSTR>(WC_DIALOG), "Worker alert");
            return alert && IsWindowVisible(alert);
        }, 10000));
        EXPECT_FALSE(dialog.layer.MayActivate());
        LRESULT answer = SendMessageA(dialog.m_hWnd, WM_MOUSEACTIVATE,
                                      reinterpret_cast<WPARAM>(dialog.m_hWnd), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
        EXPECT_EQ(answer, MA_NOACTIVATEANDEAT);
        EXPECT_EQ(feedback.beeps, 1);
        EXPECT_EQ(feedback.flashed, std::vector<HWND>{alert});
        EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == alert; }, 5000));
        PostMessageA(alert, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(worker, 0) == WAIT_OBJECT_0; }, 10000));
        CloseHandle(worker);
        // With the alert gone the dialog is the top of the layer again.
        EXPECT_TRUE(dialog.layer.MayActivate());
        dialog.EndDialog(IDOK);
    });
    EXPECT_EQ(blocked.DoModal(), IDOK);
}

TEST(WindowLayer, ListStaysWholeWhileAnotherThreadAddsAndRemovesMembers)
{
    Churn churn;
    {
        ScriptedDialog dialog([&](ScriptedDialog& self) {
            HANDLE thread = CreateThread(nullptr, 0, ChurnMembers, &churn, 0, nullptr);
            ASSERT_NE(thread, nullptr);
            // The walks must find only live members while the other thread
            // changes the list; a bounded number of rounds, however busy.
            for (int round = 0; round < 300; ++round) {
                for (int i = 0; i < 50; ++i)
                    EXPECT_EQ(WindowLayer::FindByWindow(self.m_hWnd), &self.layer);
                EXPECT_EQ(WindowLayer::FindTopVisible(WindowLayer::kModalLevel), &self.layer);
                EXPECT_TRUE(WindowLayer::HasModalMember());
            }
            InterlockedExchange(&churn.stop, 1);
            WaitForSingleObject(thread, INFINITE);
            CloseHandle(thread);
            self.EndDialog(IDOK);
        });
        EXPECT_EQ(dialog.DoModal(), IDOK);
    }
    EXPECT_GT(churn.rounds, 0);
    // Every member the other thread made has left the list and the count.
    EXPECT_FALSE(WindowLayer::HasModalMember());
}
