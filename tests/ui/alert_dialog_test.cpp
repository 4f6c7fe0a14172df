#include "tests/support/gtest.h"

#include "base/alert.h"
#include "tests/support/data_rows.h"
#include "tests/support/window_script.h"
#include "ui/alert_dialog.h"

namespace {

const UINT kFail = WM_APP + 1;  // its handler throws

// An alert that keeps its window's messages (WM_SHOWWINDOW only when
// showing) and runs `atInit` while it initialises.
struct LoggedAlert : CAlertDialog {
    std::vector<UINT> log;
    std::function<void(LoggedAlert&)> atInit;
    BOOL OnInitDialog() override { return CAlertDialog::OnInitDialog(), atInit(*this), TRUE; }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != WM_SHOWWINDOW || wParam)
            log.push_back(message);
        return message == kFail ? throw 7 : CAlertDialog::WindowProc(message, wParam, lParam);
    }
    // Whether the messages appear in the log in this order.
    bool Logged(const std::vector<UINT>& expected) const
    {
        size_t next = 0;
        for (UINT message : log) next += next < expected.size() && message == expected[next];
        return next == expected.size();
    }
};

// Whether the dialog has an owner, whether its corner offers sizing although
// it got a sizing frame, and how long its message is.
std::string Bearing(HWND dialog)
{
    SetWindowLongA(dialog, GWL_STYLE, GetWindowLongA(dialog, GWL_STYLE) | WS_THICKFRAME);
    SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    RECT r;
    GetWindowRect(dialog, &r);
    bool sizing = SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(r.right - 1, r.bottom - 1)) != HTBORDER;
    char text[4096];
    return std::string(GetWindow(dialog, GW_OWNER) ? "; owned" : "; unowned") +
           (sizing ? ", sizing" : ", fixed") + ", message of " +
           std::to_string(GetDlgItemTextA(dialog, 1006, text, sizeof text));
}

}  // namespace

TEST(CDialogEx, EachModalRunEndsWithItsCodeAndLeavesNoWindow)
{
    for (const DataRow& row : ReadDataRows("dialogs/modal_runs.txt")) {
        HWND window = nullptr;
        std::string bearing;
        LoggedAlert dialog;
        dialog.SetTitle("Alert");
        dialog.SetMessage(std::string(3000, 'x').c_str());
        auto end = [&](HWND d) {
            if (row[0] == "fail")
                SendMessageA(d, kFail, 0, 0);
            else
                row[0] == "end 7" ? dialog.EndDialog(7) : Press(d, row[0]);
        };
        bool atInit = row.at(1) == "initialising";
        dialog.atInit = [&](LoggedAlert& self) {
            bearing = Bearing(window = self.m_hWnd);
            if (atInit)
                end(window);
        };
        int32_t result = 0;
        std::vector<DialogStep> steps = {{"Alert", end}};
        RunScripted([&] { result = dialog.DoModal(); }, atInit ? std::vector<DialogStep>{} : steps);
        // Shown once the loop went idle; hidden and destroyed after the command.
        bool commanded = dialog.Logged({WM_INITDIALOG, WM_ACTIVATE, WM_SHOWWINDOW, WM_COMMAND,
                                        WM_WINDOWPOSCHANGED, WM_DESTROY, WM_NCDESTROY});
        EXPECT_EQ(std::to_string(result) + (dialog.Logged({WM_SHOWWINDOW}) ? ", shown" : ", never shown") +
                      (commanded ? ", commanded" : "") + (IsWindow(window) ? ", left" : ", gone") + bearing,
                  row.at(2))
            << row[0] << ", " << row[1];
    }
    CDialogEx missing(9999);
    EXPECT_TRUE(missing.DoModal() == -1 && !missing.m_hWnd) << "a missing template shows nothing";
    PostQuitMessage(3);
    ShowAlert("Quit pending", "The program is ending.");  // returns without a user
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && quit.wParam == 3)
        << "the exit code survives for the outer loop";
}
