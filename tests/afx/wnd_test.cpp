#include "tests/support/gtest.h"

#include "afx/dialog.h"
#include "base/alert.h"
#include "tests/support/window_script.h"

namespace {

const UINT kProbe = WM_APP + 1;

// Notes the messages its map takes and the framework's calls, in order. A
// dialog object on a plain window, so that its map sits over the dialog's.
class Recorder : public CDialog {
public:
    Recorder() : CDialog(0) {}
    std::string calls;
    bool throws = false;
    BOOL Create() { return CreateEx(0, "STATIC", "", WS_POPUP, RECT{0, 0, 100, 50}, nullptr, 0); }
    LRESULT Note(const char* call) { return calls += call, Default(); }
    LRESULT NcCreated(WPARAM, LPARAM) { return Note("nccreate, "); }
    LRESULT Created(WPARAM, LPARAM) { return Note("create, "); }
    LRESULT Clicked(WPARAM, LPARAM) { return Note("OK, "); }
    LRESULT Destroyed(WPARAM, LPARAM) { return Note("destroy, "); }
    LRESULT Probe(WPARAM wParam, LPARAM) { return throws ? throw 7 : LRESULT(wParam) + 1; }
    void PostNcDestroy() override { calls += "post nc destroy"; }
    void PreSubclassWindow() override { calls += "subclassed, "; }

protected:
    const AFX_MSGMAP* GetMessageMap() const override { return &messageMap; }
    static const AFX_MSGMAP messageMap;
    static const AFX_MSGMAP_ENTRY entries[];
};
const AFX_MSGMAP_ENTRY Recorder::entries[] = {{WM_NCCREATE, 0, 0, AFX_HANDLER(&Recorder::NcCreated)},
                                              {WM_CREATE, 0, 0, AFX_HANDLER(&Recorder::Created)},
                                              {kProbe, 0, 0, AFX_HANDLER(&Recorder::Probe)},
                                              {WM_COMMAND, BN_CLICKED, IDOK, AFX_HANDLER(&Recorder::Clicked)},
                                              {WM_DESTROY, 0, 0, AFX_HANDLER(&Recorder::Destroyed)},
                                              {0, 0, 0, nullptr}};
const AFX_MSGMAP Recorder::messageMap = {&CDialog::messageMap, Recorder::entries};

}  // namespace

TEST(CWnd, MapsSubclassingLifetimeAndFailingHandlersKeepTheFrameworksContract)
{
    Recorder window, first, second;
    ASSERT_TRUE(window.Create());
    EXPECT_FALSE(window.Create()) << "one window per object";
    // A command is taken by its id and its code, by the derived map before the dialog's.
    for (WPARAM command :
         {MAKEWPARAM(IDOK, BN_CLICKED), MAKEWPARAM(6, BN_CLICKED), MAKEWPARAM(IDOK, EN_CHANGE)})
        SendMessageA(window.m_hWnd, WM_COMMAND, command, 0);
    EXPECT_EQ(SendMessageA(window.m_hWnd, kProbe, 41, 0), 42);
    HWND handle = window.m_hWnd;
    window.DestroyWindow();
    // Bound before its first message; the object learns last that its window went.
    EXPECT_EQ(window.calls, "subclassed, nccreate, create, OK, destroy, post nc destroy");
    EXPECT_TRUE(!window.m_hWnd && !CWnd::FromHandlePermanent(handle));
    {
        Recorder early;
        early.Create();
        handle = early.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(handle)) << "an object destroyed first takes its window along";
    HWND plain = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    LONG_PTR own = GetWindowLongPtrA(plain, GWLP_WNDPROC);
    ASSERT_TRUE(first.SubclassWindow(plain));
    EXPECT_FALSE(second.SubclassWindow(plain) || second.Attach(plain)) << "a window has one object";
    EXPECT_EQ(SendMessageA(plain, kProbe, 1, 0), 2);
    EXPECT_TRUE(first.UnsubclassWindow() == plain && GetWindowLongPtrA(plain, GWLP_WNDPROC) == own)
        << "the static control's own procedure again";
    DestroyWindow(plain);
    second.throws = true;
    second.Create();
    EXPECT_EQ(SendMessageA(second.m_hWnd, kProbe, 0, 0), 0) << "a handler that throws is contained";
    EXPECT_TRUE(RunScripted([] { ShowAlert("Later", ""); }, {PressOk("Later")}))
        << "and ends no later modal run";
}
