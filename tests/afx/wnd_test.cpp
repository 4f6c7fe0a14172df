#include "tests/support/gtest.h"

#include "tests/support/window_script.h"

namespace {

const UINT kProbe = WM_APP + 1;

// Records which handler took which message; kProbe throws when asked.
class Recorder : public CWnd {
public:
    std::vector<std::string> calls;
    bool throws = false;

    LRESULT Note(const char* call, bool byDefault)
    {
        calls.push_back(call);
        return byDefault ? Default() : 0;
    }
    LRESULT OnNcCreate(WPARAM, LPARAM) { return Note("nccreate", true); }
    LRESULT OnCreate(WPARAM, LPARAM) { return Note("create", true); }
    LRESULT OnProbe(WPARAM wParam, LPARAM) { return throws ? throw 7 : static_cast<LRESULT>(wParam) + 1; }
    LRESULT OnClicked(WPARAM, LPARAM) { return Note("clicked 5", false); }
    LRESULT OnChanged(WPARAM, LPARAM) { return Note("changed 5", false); }
    LRESULT OnDestroy(WPARAM, LPARAM) { return Note("destroy", true); }
    void PostNcDestroy() override { calls.push_back("post nc destroy"); }
    void PreSubclassWindow() override { calls.push_back("subclassed"); }

protected:
    const AFX_MSGMAP* GetMessageMap() const override { return &messageMap; }
    static const AFX_MSGMAP messageMap;
    static const AFX_MSGMAP_ENTRY messageEntries[];
};

const AFX_MSGMAP_ENTRY Recorder::messageEntries[] = {
    {WM_NCCREATE, 0, 0, AFX_HANDLER(&Recorder::OnNcCreate)},
    {WM_CREATE, 0, 0, AFX_HANDLER(&Recorder::OnCreate)},
    {kProbe, 0, 0, AFX_HANDLER(&Recorder::OnProbe)},
    {WM_COMMAND, BN_CLICKED, 5, AFX_HANDLER(&Recorder::OnClicked)},
    {WM_COMMAND, EN_CHANGE, 5, AFX_HANDLER(&Recorder::OnChanged)},
    {WM_DESTROY, 0, 0, AFX_HANDLER(&Recorder::OnDestroy)},
    {0, 0, 0, nullptr}};
const AFX_MSGMAP Recorder::messageMap = {&CWnd::messageMap, Recorder::messageEntries};

// Takes one message of its base before the base does.
class Derived : public Recorder {
    LRESULT OnProbeFirst(WPARAM, LPARAM) { return 100; }
    const AFX_MSGMAP* GetMessageMap() const override { return &messageMap; }
    static const AFX_MSGMAP messageMap;
    static const AFX_MSGMAP_ENTRY messageEntries[];
};

const AFX_MSGMAP_ENTRY Derived::messageEntries[] = {{kProbe, 0, 0, AFX_HANDLER(&Derived::OnProbeFirst)},
                                                    {0, 0, 0, nullptr}};
const AFX_MSGMAP Derived::messageMap = {&Recorder::messageMap, Derived::messageEntries};

const RECT kPlace = {0, 0, 100, 50};

}  // namespace

TEST(CWnd, MessageMapsSeeCreationCommandsAndDestructionInOrder)
{
    Recorder window;
    ASSERT_TRUE(window.CreateEx(0, "STATIC", "", WS_POPUP, kPlace, nullptr, 0));
    EXPECT_EQ(window.calls, (std::vector<std::string>{"subclassed", "nccreate", "create"}));
    EXPECT_FALSE(window.CreateEx(0, "STATIC", "", WS_POPUP, kPlace, nullptr, 0)) << "one window per object";
    for (auto command : {MAKEWPARAM(5, BN_CLICKED), MAKEWPARAM(5, EN_CHANGE), MAKEWPARAM(6, BN_CLICKED),
                         MAKEWPARAM(5, EN_KILLFOCUS)})
        SendMessageA(window.m_hWnd, WM_COMMAND, command, 0);
    EXPECT_EQ(SendMessageA(window.m_hWnd, kProbe, 41, 0), 42);
    HWND handle = window.m_hWnd;
    EXPECT_TRUE(window.DestroyWindow());
    EXPECT_EQ(window.calls, (std::vector<std::string>{"subclassed", "nccreate", "create", "clicked 5",
                                                      "changed 5", "destroy", "post nc destroy"}));
    EXPECT_EQ(window.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(handle), nullptr);

    Derived derived;
    ASSERT_TRUE(derived.CreateEx(0, "STATIC", "", WS_POPUP, kPlace, nullptr, 0));
    EXPECT_EQ(SendMessageA(derived.m_hWnd, kProbe, 1, 0), 100) << "a derived map comes first";
}

TEST(CWnd, SubclassingPutsTheMapInFrontAndAWindowNeverOutlivesItsObject)
{
    HWND plain = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    LONG_PTR own = GetWindowLongPtrA(plain, GWLP_WNDPROC);
    Recorder first, second;
    ASSERT_TRUE(first.SubclassWindow(plain));
    EXPECT_FALSE(second.SubclassWindow(plain)) << "a window has one object";
    EXPECT_FALSE(second.Attach(plain));
    EXPECT_EQ(SendMessageA(plain, kProbe, 1, 0), 2);
    EXPECT_EQ(first.UnsubclassWindow(), plain);
    EXPECT_EQ(GetWindowLongPtrA(plain, GWLP_WNDPROC), own);
    EXPECT_EQ(SendMessageA(plain, kProbe, 1, 0), 0) << "the static control's own answer";
    DestroyWindow(plain);
    HWND handle = nullptr;
    {
        Recorder window;
        ASSERT_TRUE(window.CreateEx(0, "STATIC", "", WS_POPUP, kPlace, nullptr, 0));
        handle = window.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(handle)) << "an object destroyed first takes its window along";
}

TEST(CWnd, HandlerThatThrowsIsContainedAndDoesNotEndALaterModalRun)
{
    Recorder window;
    window.throws = true;
    ASSERT_TRUE(window.CreateEx(0, "STATIC", "", WS_POPUP, kPlace, nullptr, 0));
    EXPECT_EQ(SendMessageA(window.m_hWnd, kProbe, 0, 0), 0);
    ScriptedDialog dialog([](ScriptedDialog& d) { d.EndDialog(IDOK); });
    EXPECT_EQ(dialog.DoModal(), IDOK) << "the failure belonged to no modal run";
}
