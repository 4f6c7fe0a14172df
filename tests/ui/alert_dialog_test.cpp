#include "tests/support/gtest.h"

#include "base/error_code.h"
#include "tests/support/window_script.h"
#include "base/alert.h"
#include "ui/dialog_font.h"

#include <string>
#include <vector>

namespace {

std::string TextOf(HWND window)
{
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

LOGFONTA FontOf(HWND window)
{
    LOGFONTA font = {};
    HFONT handle = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    GetObjectA(handle, sizeof font, &font);
    return font;
}

// Ends the dialog the way a user would, from inside its own loop.
void PostKey(WPARAM key)
{
    HWND focus = GetFocus();
    PostMessageA(focus, WM_KEYDOWN, key, 1);
    PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
}

class ThrowingDialog : public ScriptedDialog {
public:
    using ScriptedDialog::ScriptedDialog;
    bool throwOnInit = false;
    HWND window = nullptr;

protected:
    BOOL OnInitDialog() override
    {
        window = m_hWnd;
        if (throwOnInit)
            throw ErrorCode(kErrorMalformed);
        return ScriptedDialog::OnInitDialog();
    }
};

}  // namespace

TEST(AlertDialog, ShowsTitleInCaptionAndBoldLineWithTheMessageBelow)
{
    struct Case {
        std::string title;
        std::string message;
        std::string shownMessage;
    };
    const std::string longText(3000, 'x');
    const Case cases[] = {
        {"Unable to Open URL", "Quorvalent was unable to open the URL.",
         "Quorvalent was unable to open the URL."},
        {"Only a title", "", ""},
        {"Cut", longText, std::string(2047, 'x')},
    };
    for (const Case& c : cases) {
        ScriptedDialog alert([&](ScriptedDialog& dialog) {
            HWND title = GetDlgItem(dialog.m_hWnd, 1008);
            EXPECT_EQ(TextOf(dialog.m_hWnd), c.title);
            EXPECT_EQ(TextOf(title), c.title);
            EXPECT_EQ(TextOf(GetDlgItem(dialog.m_hWnd, 1006)), c.shownMessage);
            EXPECT_EQ(FontOf(title).lfWeight, FW_BOLD);
            EXPECT_STREQ(FontOf(title).lfFaceName, "MS Shell Dlg 2");
            // The template's own font was replaced before the dialog was made.
            EXPECT_STREQ(FontOf(dialog.m_hWnd).lfFaceName, "MS Shell Dlg 2");
            EXPECT_EQ(FontOf(dialog.m_hWnd).lfHeight, PointsToHeight(8));
            EXPECT_EQ(GetFocus(), GetDlgItem(dialog.m_hWnd, IDOK));
            // An unowned top-level window of its own.
            EXPECT_EQ(GetWindow(dialog.m_hWnd, GW_OWNER), nullptr);
            dialog.EndDialog(IDOK);
        });
        alert.SetTitle(c.title.c_str());
        alert.SetMessage(c.message.c_str());
        EXPECT_EQ(alert.DoModal(), IDOK) << c.title;
        EXPECT_TRUE(alert.ranStep) << c.title;
    }
}

TEST(AlertDialog, EndsOnOkEnterEscapeAndTheCloseBox)
{
    struct Case {
        const char* name;
        std::function<void(HWND dialog)> dismiss;
        int32_t result;
    };
    const Case cases[] = {
        {"OK button", [](HWND dialog) { SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0); }, IDOK},
        {"Enter", [](HWND) { PostKey(VK_RETURN); }, IDOK},
        {"Escape", [](HWND) { PostKey(VK_ESCAPE); }, IDCANCEL},
        {"close box", [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL},
    };
    for (const Case& c : cases) {
        HWND window = nullptr;
        const std::vector<UINT> expected = {WM_INITDIALOG, WM_ACTIVATE, WM_SHOWWINDOW, WM_COMMAND,
                                            WM_WINDOWPOSCHANGED, WM_DESTROY, WM_NCDESTROY};
        MessageLog log(expected);
        ScriptedDialog alert([&](ScriptedDialog& dialog) {
            window = dialog.m_hWnd;
            c.dismiss(dialog.m_hWnd);
        });
        EXPECT_EQ(alert.DoModal(), c.result) << c.name;
        // Initialised, then activated and shown when the loop went idle;
        // then commanded, hidden and destroyed: nothing is left on screen.
        std::string why;
        EXPECT_TRUE(ContainsInOrder(log.MessagesOf(window), expected, &why)) << c.name << ": " << why;
        EXPECT_FALSE(IsWindow(window)) << c.name;
        EXPECT_EQ(alert.m_hWnd, nullptr) << c.name;
    }
}

TEST(CDialogEx, FailureBeforeOrDuringTheRunReturnsMinusOneAndLeavesNoWindow)
{
    struct Case {
        const char* name;
        bool throwOnInit;
        bool throwInLoop;
    };
    const Case cases[] = {
        {"initialisation throws", true, false},
        {"a handler in the loop throws", false, true},
    };
    for (const Case& c : cases) {
        ThrowingDialog dialog([&](ScriptedDialog&) {
            if (c.throwInLoop)
                throw ErrorCode(kErrorMalformed);
        });
        dialog.throwOnInit = c.throwOnInit;
        EXPECT_EQ(dialog.DoModal(), -1) << c.name;
        EXPECT_NE(dialog.window, nullptr) << c.name;
        EXPECT_FALSE(IsWindow(dialog.window)) << c.name;
    }
}

namespace {
int g_created = 0;
LRESULT CALLBACK CountCreations(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND)
        ++g_created;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
}  // namespace

TEST(CDialogEx, MissingTemplateReturnsMinusOneWithoutAnyWindow)
{
    HHOOK hook = SetWindowsHookExA(WH_CBT, CountCreations, nullptr, GetCurrentThreadId());
    g_created = 0;
    CDialogEx missing(9999);
    EXPECT_EQ(missing.DoModal(), -1);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(g_created, 0);
}

namespace {

struct WorkerAlert {
    DWORD threadId = 0;
    volatile LONG returned = 0;
};

DWORD WINAPI RunAlertOnWorker(void* parameter)
{
    WorkerAlert* state = static_cast<WorkerAlert*>(parameter);
    state->threadId = GetCurrentThreadId();
    ShowAlert("Worker alert", "Shown by the second thread.");
    InterlockedExchange(&state->returned, 1);
    return 0;
}

int g_ticks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++g_ticks; }

}  // namespace

TEST(ShowAlert, OnASecondThreadRunsItsOwnLoopWhileTheFirstKeepsDispatching)
{
    g_ticks = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 10, CountTick);
    WorkerAlert state;
    HANDLE thread = CreateThread(nullptr, 0, RunAlertOnWorker, &state, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    HWND alert = nullptr;
    ASSERT_TRUE(PumpUntil([&] {
        alert = FindWindowA(reinterpret_cast<LPCSTR>(WC_DIALOG), "Worker alert");
        return alert && IsWindowVisible(alert);
    }, 10000));
    EXPECT_EQ(GetWindowThreadProcessId(alert, nullptr), state.threadId);
    EXPECT_NE(WindowLayer::FindByWindow(alert), nullptr);
    int ticksBefore = g_ticks;
    PumpUntil([] { return false; }, 200);
    EXPECT_GT(g_ticks, ticksBefore + 3) << "the first thread stopped dispatching";
    EXPECT_EQ(state.returned, 0) << "ShowAlert returned before the alert was dismissed";
    PostMessageA(alert, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 10000));
    EXPECT_EQ(state.returned, 1);
    EXPECT_FALSE(IsWindow(alert));
    KillTimer(nullptr, timer);
    CloseHandle(thread);
}

namespace {
class EndsAtOnce : public CAlertDialog {
public:
    HWND window = nullptr;
    bool shown = false;

protected:
    BOOL OnInitDialog() override
    {
        CAlertDialog::OnInitDialog();
        window = m_hWnd;
        EndDialog(7);
        return TRUE;
    }
    LRESULT OnShow(WPARAM wParam, LPARAM)
    {
        shown = shown || wParam;
        return Default();
    }
    const AFX_MSGMAP* GetMessageMap() const override { return &messageMap; }
    static const AFX_MSGMAP messageMap;

private:
    static const AFX_MSGMAP_ENTRY messageEntries[];
};
const AFX_MSGMAP_ENTRY EndsAtOnce::messageEntries[] = {
    {WM_SHOWWINDOW, 0, 0, AFX_HANDLER(&EndsAtOnce::OnShow)},
    {0, 0, 0, nullptr},
};
const AFX_MSGMAP EndsAtOnce::messageMap = {&CDialogEx::messageMap, EndsAtOnce::messageEntries};
}  // namespace

TEST(CDialogEx, DialogEndedDuringInitialisationReturnsItsCodeWithoutShowing)
{
    EndsAtOnce dialog;
    EXPECT_EQ(dialog.DoModal(), 7);
    EXPECT_FALSE(dialog.shown);
    EXPECT_NE(dialog.window, nullptr);
    EXPECT_FALSE(IsWindow(dialog.window));
}

TEST(CDialogEx, BordersNeverOfferSizingEvenWithASizingFrame)
{
    ScriptedDialog dialog([](ScriptedDialog& d) {
        LONG style = GetWindowLongA(d.m_hWnd, GWL_STYLE);
        SetWindowLongA(d.m_hWnd, GWL_STYLE, style | WS_THICKFRAME);
        SetWindowPos(d.m_hWnd, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT r;
        GetWindowRect(d.m_hWnd, &r);
        const LONG midX = (r.left + r.right) / 2, midY = (r.top + r.bottom) / 2;
        const POINT edges[] = {{r.left, midY}, {r.right - 1, midY}, {midX, r.top},
                               {midX, r.bottom - 1}, {r.left, r.top}, {r.right - 1, r.bottom - 1}};
        for (const POINT& p : edges) {
            LRESULT hit = SendMessageA(d.m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
            EXPECT_EQ(hit, HTBORDER) << p.x << "," << p.y;
        }
        d.EndDialog(IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(ShowAlert, PendingQuitEndsTheAlertAndIsLeftForTheOuterLoop)
{
    PostQuitMessage(3);
    ShowAlert("Quit pending", "The program is ending.");  // must return, not wait for a user
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u) << "the exit code survives";
    EXPECT_EQ(FindWindowA(reinterpret_cast<LPCSTR>(WC_DIALOG), "Quit pending"), nullptr);
}
