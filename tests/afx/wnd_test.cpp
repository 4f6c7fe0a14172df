#include "tests/support/gtest.h"

#include "tests/support/window_script.h"

namespace {

const UINT kProbe = WM_APP + 1;
const RECT kPlace = {0, 0, 100, 50};

// Logs the messages its map takes (with a command's id and code) and the framework's calls.
class Recorder : public CWnd {
public:
    std::vector<std::string> calls;
    bool throws = false;
    LRESULT Note(WPARAM wParam, LPARAM)
    {
        const MSG* msg = GetCurrentMessage();
        calls.push_back(std::to_string(msg->message) +
                        (msg->message == WM_COMMAND ? ":" + std::to_string(wParam) : ""));
        return Default();
    }
    LRESULT Probe(WPARAM wParam, LPARAM) { return throws ? throw 7 : LRESULT(wParam) + 1; }
    void PostNcDestroy() override { calls.push_back("post nc destroy"); }
    void PreSubclassWindow() override { calls.push_back("subclassed"); }

protected:
    const AFX_MSGMAP* GetMessageMap() const override { return &messageMap; }
    static const AFX_MSGMAP messageMap;
    static const AFX_MSGMAP_ENTRY entries[];
};
const AFX_MSGMAP_ENTRY Recorder::entries[] = {{WM_NCCREATE, 0, 0, AFX_HANDLER(&Recorder::Note)},
                                              {WM_CREATE, 0, 0, AFX_HANDLER(&Recorder::Note)},
                                              {kProbe, 0, 0, AFX_HANDLER(&Recorder::Probe)},
                                              {WM_COMMAND, BN_CLICKED, 5, AFX_HANDLER(&Recorder::Note)},
                                              {WM_COMMAND, EN_CHANGE, 5, AFX_HANDLER(&Recorder::Note)},
                                              {WM_DESTROY, 0, 0, AFX_HANDLER(&Recorder::Note)},
                                              {0, 0, 0, nullptr}};
const AFX_MSGMAP Recorder::messageMap = {&CWnd::messageMap, Recorder::entries};

// Takes one message of its base before the base does.
class Derived : public Recorder {
    LRESULT First(WPARAM, LPARAM) { return 100; }
    const AFX_MSGMAP* GetMessageMap() const override { return &messageMap; }
    static const AFX_MSGMAP messageMap;
    static const AFX_MSGMAP_ENTRY entries[];
};
const AFX_MSGMAP_ENTRY Derived::entries[] = {{kProbe, 0, 0, AFX_HANDLER(&Derived::First)},
                                             {0, 0, 0, nullptr}};
const AFX_MSGMAP Derived::messageMap = {&Recorder::messageMap, Derived::entries};

}  // namespace

TEST(CWnd, MessageMapsSeeCreationCommandsAndDestructionInOrder)
{
    Recorder window;
    ASSERT_TRUE(window.CreateEx(0, "STATIC", "", WS_POPUP, kPlace, nullptr, 0));
    EXPECT_FALSE(window.CreateEx(0, "STATIC", "", WS_POPUP, kPlace, nullptr, 0)) << "one window per object";
    for (WPARAM command : {MAKEWPARAM(5, BN_CLICKED), MAKEWPARAM(5, EN_CHANGE), MAKEWPARAM(6, BN_CLICKED),
                           MAKEWPARAM(5, EN_KILLFOCUS)})
        SendMessageA(window.m_hWnd, WM_COMMAND, command, 0);
    EXPECT_EQ(SendMessageA(window.m_hWnd, kProbe, 41, 0), 42);
    HWND handle = window.m_hWnd;
    EXPECT_TRUE(window.DestroyWindow());
    // Bound before its first message; commands by id and code; the object learns last that the window went.
    auto id = [](UINT message, WPARAM w) {
        return std::to_string(message) + (w ? ":" + std::to_string(w) : "");
    };
    std::vector<std::string> expected = {"subclassed",
                                         id(WM_NCCREATE, 0),
                                         id(WM_CREATE, 0),
                                         id(WM_COMMAND, MAKEWPARAM(5, BN_CLICKED)),
                                         id(WM_COMMAND, MAKEWPARAM(5, EN_CHANGE)),
                                         id(WM_DESTROY, 0),
                                         "post nc destroy"};
    EXPECT_EQ(window.calls, expected);
    EXPECT_TRUE(window.m_hWnd == nullptr && CWnd::FromHandlePermanent(handle) == nullptr);
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
    EXPECT_FALSE(second.SubclassWindow(plain) || second.Attach(plain)) << "a window has one object";
    EXPECT_EQ(SendMessageA(plain, kProbe, 1, 0), 2);
    EXPECT_EQ(first.UnsubclassWindow(), plain);
    EXPECT_EQ(GetWindowLongPtrA(plain, GWLP_WNDPROC), own);
    EXPECT_EQ(SendMessageA(plain, kProbe, 1, 0), 0) << "the static control's own answer";
    DestroyWindow(plain);
    {
        Recorder window;
        window.CreateEx(0, "STATIC", "", WS_POPUP, kPlace, nullptr, 0);
        plain = window.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(plain)) << "an object destroyed first takes its window along";
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
