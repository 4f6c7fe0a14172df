#include "tests/support/gtest.h"

#include "afx/controls.h"
#include "afx/frame.h"
#include "tests/support/window_script.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

const UINT kProbe = WM_APP + 1;

// Records which handler took which message.
class Recorder : public CWnd {
public:
    std::vector<std::string> calls;

    LRESULT OnCreateMessage(WPARAM, LPARAM)
    {
        calls.push_back("create");
        return Default();
    }
    LRESULT OnNcCreateMessage(WPARAM, LPARAM)
    {
        calls.push_back("nccreate");
        return Default();
    }
    LRESULT OnProbe(WPARAM wParam, LPARAM) { calls.push_back("probe"); return static_cast<LRESULT>(wParam) + 1; }
    LRESULT OnClicked(WPARAM, LPARAM) { calls.push_back("clicked 5"); return 0; }
    LRESULT OnChanged(WPARAM, LPARAM) { calls.push_back("changed 5"); return 0; }
    LRESULT OnDestroyMessage(WPARAM, LPARAM) { calls.push_back("destroy"); return Default(); }
    void PostNcDestroy() override { calls.push_back("post nc destroy"); }
    void PreSubclassWindow() override { calls.push_back("subclassed"); }

protected:
    const AFX_MSGMAP* GetMessageMap() const override { return &messageMap; }
    static const AFX_MSGMAP messageMap;

private:
    static const AFX_MSGMAP_ENTRY messageEntries[];
};

const AFX_MSGMAP_ENTRY Recorder::messageEntries[] = {
    {WM_NCCREATE, 0, 0, AFX_HANDLER(&Recorder::OnNcCreateMessage)},
    {WM_CREATE, 0, 0, AFX_HANDLER(&Recorder::OnCreateMessage)},
    {kProbe, 0, 0, AFX_HANDLER(&Recorder::OnProbe)},
    {WM_COMMAND, BN_CLICKED, 5, AFX_HANDLER(&Recorder::OnClicked)},
    {WM_COMMAND, EN_CHANGE, 5, AFX_HANDLER(&Recorder::OnChanged)},
    {WM_DESTROY, 0, 0, AFX_HANDLER(&Recorder::OnDestroyMessage)},
    {0, 0, 0, nullptr},
};
const AFX_MSGMAP Recorder::messageMap = {&CWnd::messageMap, Recorder::messageEntries};

// Overrides one message of its base and adds nothing else.
class DerivedRecorder : public Recorder {
public:
    LRESULT OnProbeFirst(WPARAM, LPARAM) { calls.push_back("derived probe"); return 100; }

protected:
    const AFX_MSGMAP* GetMessageMap() const override { return &messageMap; }
    static const AFX_MSGMAP messageMap;

private:
    static const AFX_MSGMAP_ENTRY messageEntries[];
};

const AFX_MSGMAP_ENTRY DerivedRecorder::messageEntries[] = {
    {kProbe, 0, 0, AFX_HANDLER(&DerivedRecorder::OnProbeFirst)},
    {0, 0, 0, nullptr},
};
const AFX_MSGMAP DerivedRecorder::messageMap = {&Recorder::messageMap, DerivedRecorder::messageEntries};

RECT Place() { return RECT{0, 0, 100, 50}; }

class ThrowingWindow : public CWnd {
public:
    LRESULT OnProbe(WPARAM, LPARAM) { throw 7; }

protected:
    const AFX_MSGMAP* GetMessageMap() const override { return &messageMap; }
    static const AFX_MSGMAP messageMap;

private:
    static const AFX_MSGMAP_ENTRY messageEntries[];
};

const AFX_MSGMAP_ENTRY ThrowingWindow::messageEntries[] = {
    {kProbe, 0, 0, AFX_HANDLER(&ThrowingWindow::OnProbe)},
    {0, 0, 0, nullptr},
};
const AFX_MSGMAP ThrowingWindow::messageMap = {&CWnd::messageMap, ThrowingWindow::messageEntries};

}  // namespace

TEST(CWnd, MessageMapsSeeCreationCommandsAndDestructionInOrder)
{
    Recorder window;
    ASSERT_TRUE(window.CreateEx(0, "STATIC", "recorder", WS_POPUP, Place(), nullptr, 0));
    EXPECT_EQ(CWnd::FromHandlePermanent(window.m_hWnd), &window);
    // Bound before its first message, so creation went through the map.
    std::vector<std::string> created = {"subclassed", "nccreate", "create"};
    EXPECT_EQ(window.calls, created);
    EXPECT_FALSE(window.CreateEx(0, "STATIC", "", WS_POPUP, Place(), nullptr, 0)) << "one window per object";
    struct Command {
        WORD id;
        WORD code;
        const char* call;  // null: no handler
    };
    const Command commands[] = {
        {5, BN_CLICKED, "clicked 5"},
        {5, EN_CHANGE, "changed 5"},
        {6, BN_CLICKED, nullptr},
        {5, EN_KILLFOCUS, nullptr},
    };
    for (const Command& c : commands) {
        window.calls.clear();
        SendMessageA(window.m_hWnd, WM_COMMAND, MAKEWPARAM(c.id, c.code), 0);
        std::vector<std::string> expected;
        if (c.call)
            expected.push_back(c.call);
        EXPECT_EQ(window.calls, expected) << c.id << "/" << c.code;
    }
    window.calls.clear();
    EXPECT_EQ(SendMessageA(window.m_hWnd, kProbe, 41, 0), 42);
    HWND handle = window.m_hWnd;
    window.calls.clear();
    EXPECT_TRUE(window.DestroyWindow());
    std::vector<std::string> expected = {"destroy", "post nc destroy"};
    EXPECT_EQ(window.calls, expected);
    EXPECT_EQ(window.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(handle), nullptr);

    // Entries of a derived map come before those of its base.
    DerivedRecorder derived;
    ASSERT_TRUE(derived.CreateEx(0, "STATIC", "", WS_POPUP, Place(), nullptr, 0));
    derived.calls.clear();
    EXPECT_EQ(SendMessageA(derived.m_hWnd, kProbe, 1, 0), 100);
    SendMessageA(derived.m_hWnd, WM_COMMAND, MAKEWPARAM(5, BN_CLICKED), 0);
    expected = {"derived probe", "clicked 5"};
    EXPECT_EQ(derived.calls, expected);
}

TEST(CWnd, SubclassingPutsTheMapInFrontAndAWindowNeverOutlivesItsObject)
{
    HWND plain = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(plain, nullptr);
    LONG_PTR own = GetWindowLongPtrA(plain, GWLP_WNDPROC);
    Recorder first;
    Recorder second;
    ASSERT_TRUE(first.SubclassWindow(plain));
    EXPECT_EQ(first.calls, std::vector<std::string>{"subclassed"});
    EXPECT_FALSE(second.SubclassWindow(plain)) << "a window has one object";
    EXPECT_TRUE(second.calls.empty());
    EXPECT_FALSE(second.Attach(plain));
    EXPECT_EQ(SendMessageA(plain, kProbe, 1, 0), 2);
    EXPECT_EQ(first.UnsubclassWindow(), plain);
    EXPECT_EQ(GetWindowLongPtrA(plain, GWLP_WNDPROC), own);
    EXPECT_EQ(SendMessageA(plain, kProbe, 1, 0), 0) << "the static control's own answer";
    EXPECT_EQ(CWnd::FromHandlePermanent(plain), nullptr);
    DestroyWindow(plain);
    EXPECT_FALSE(first.Attach(nullptr));

    // An object destroyed before its window takes the window along.
    HWND handle = nullptr;
    {
        Recorder window;
        ASSERT_TRUE(window.CreateEx(0, "STATIC", "", WS_POPUP, Place(), nullptr, 0));
        handle = window.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(handle));
}

TEST(CWnd, HandlerThatThrowsIsContainedAndDoesNotEndALaterModalRun)
{
    ThrowingWindow window;
    ASSERT_TRUE(window.CreateEx(0, "STATIC", "", WS_POPUP, Place(), nullptr, 0));
    EXPECT_EQ(SendMessageA(window.m_hWnd, kProbe, 0, 0), 0);
    // The failure belonged to no modal run; the next dialog runs normally.
    ScriptedDialog dialog([](ScriptedDialog& d) { d.EndDialog(IDOK); });
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(CFrameWnd, CreatesASunkenFrameThatDeletesItselfWithItsWindow)
{
    struct Counted : CFrameWnd {
        explicit Counted(int* deletions) : deletions_(deletions) {}
        ~Counted() override { ++*deletions_; }
        int* deletions_;
    };
    int deletions = 0;
    Counted* frame = new Counted(&deletions);
    ASSERT_TRUE(frame->Create(nullptr, "Frame", WS_OVERLAPPEDWINDOW));
    HWND handle = frame->m_hWnd;
    EXPECT_TRUE(GetWindowLongA(handle, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    DestroyWindow(handle);
    EXPECT_EQ(deletions, 1);
}

namespace {

// A dialog whose data exchange binds the alert's controls in every way.
class ExchangeDialog : public ScriptedDialog {
public:
    using ScriptedDialog::ScriptedDialog;
    int check = 0;
    char shortText[6] = "";
    bool withMissingControl = false;
    CButton okButton;

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        ScriptedDialog::DoDataExchange(dx);
        DDX_Control(dx, IDOK, okButton);
        DDX_Text(dx, 1006, shortText);
        if (withMissingControl)
            DDX_Check(dx, 4242, check);
    }
};

}  // namespace

TEST(CDialog, DataExchangeMovesTextsBothWaysAndFailsOnMissingControls)
{
    ExchangeDialog dialog([](ScriptedDialog& d) {
        ExchangeDialog& self = static_cast<ExchangeDialog&>(d);
        EXPECT_EQ(CWnd::FromHandlePermanent(GetDlgItem(d.m_hWnd, IDOK)), &self.okButton);
        SetDlgItemTextA(d.m_hWnd, 1006, "a longer text than fits");
        EXPECT_TRUE(self.UpdateData(TRUE));
        EXPECT_STREQ(self.shortText, "a lon");  // cut to the buffer, with its NUL
        self.withMissingControl = true;
        EXPECT_FALSE(self.UpdateData(TRUE));
        // OK refuses to end while the exchange fails.
        SendMessageA(d.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_TRUE(IsWindowVisible(d.m_hWnd));
        self.withMissingControl = false;
        SendMessageA(d.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    std::strcpy(dialog.shortText, "init");
    EXPECT_EQ(dialog.DoModal(), IDOK);
}
