#include "tests/support/gtest.h"

#include "afx/dialog.h"
#include "afx/dialog_template.h"
#include "base/alert.h"
#include "tests/support/data_rows.h"
#include "tests/support/test_env.h"
#include "tests/support/window_script.h"

#include <cstdlib>
#include <iomanip>
#include <sstream>

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

const UINT kDone = WM_APP + 50;

class EndingThread : public CWinThread {
public:
    int ended = 0;
    bool quitOnEnd = false;
    void OnDone(WPARAM, LPARAM)
    {
        ++ended;
        if (quitOnEnd)
            PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 7, 0);
    }

protected:
    const AFX_THREAD_MSGMAP_ENTRY* GetThreadMessageMap() const override
    {
        static const AFX_THREAD_MSGMAP_ENTRY entries[] = {
            {kDone, static_cast<AFX_THREAD_HANDLER>(&EndingThread::OnDone)}, {0, nullptr}};
        return entries;
    }
};

// Ends the move loop, once the thread message is handled, unless a quit did.
void CALLBACK PressReturn(HWND window, UINT, UINT_PTR, DWORD)
{
    PostMessageA(window, WM_KEYDOWN, VK_RETURN, 0);
}

// The bytes of a data field's words: numbers are 16-bit little-endian words,
// "text" is UTF-16 with its NUL.
std::string Bytes(const std::string& field)
{
    std::string bytes;
    std::istringstream in(field);
    for (std::string token; (in >> std::ws).peek() != EOF;) {
        bool text = in.peek() == '"';
        in >> std::quoted(token);
        std::u16string words = text ? std::u16string(token.begin(), token.end()) + u'\0'
                                    : std::u16string(1, char16_t(std::strtoul(token.c_str(), nullptr, 0)));
        for (char16_t word : words) bytes += {char(word & 0xFF), char(word >> 8)};
    }
    return bytes;
}

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

// A thread message posted while the system's move loop runs (a user dragging
// a caption) reaches the thread's map, and a quit its handler posts outlives
// the loop that ends on it.
TEST(MessageFilter, ThreadMessageReachesItsHandlerInsideTheMoveLoop)
{
    EndingThread thread;
    AfxSetThread(&thread);
    AfxMessageFilterHook filter;
    for (int quitCode : {-1, 7}) {
        thread.ended = 0;
        thread.quitOnEnd = quitCode >= 0;
        HWND window = CreateWindowExA(0, "STATIC", "moved", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 100, 100,
                                      200, 100, nullptr, nullptr, nullptr, nullptr);
        // The move loop starts when the syscommand is dispatched and finds the
        // thread message first; it ends on the quit, or else on Return.
        PostMessageA(window, WM_SYSCOMMAND, SC_MOVE, 0);
        PostThreadMessageA(GetCurrentThreadId(), kDone, 0, 0);
        SetTimer(window, 1, 50, PressReturn);
        EXPECT_TRUE(thread.PumpMessage());
        EXPECT_EQ(thread.ended, 1) << quitCode;
        MSG quit = {};
        EXPECT_EQ(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) ? int(quit.wParam) : -1,
                  quitCode);
        DestroyWindow(window);
    }
    AfxSetThread(nullptr);
}

TEST(DialogTemplate, FontIsReplacedTheRestFollowsAndMalformedTemplatesAreRefused)
{
    std::vector<std::string> names = ListNames(WindowsPath(SourceDir() + "/tests/data/dialog_template/"));
    ASSERT_FALSE(names.empty());
    for (const std::string& name : names) {
        std::string original, expected;
        for (const DataRow& row : ReadDataRows("dialog_template/" + name))
            (row[0] == "e" ? expected : original) += Bytes(row.at(1));
        DialogTemplateLayout layout = {};
        CDialogTemplate edited;
        ASSERT_TRUE(
            ParseDialogTemplate(reinterpret_cast<const BYTE*>(original.data()), original.size(), &layout) &&
            edited.SetTemplate(original.data(), original.size()) && edited.SetFont("MS Shell Dlg 2", 8))
            << name;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(edited.Lock()), edited.GetSize()), expected)
            << name;
        edited.Unlock();
        for (size_t cut = 0; cut + 2 < layout.itemsOffset; ++cut)
            EXPECT_FALSE(CDialogTemplate().SetTemplate(original.data(), cut)) << name << " cut to " << cut;
    }
    CDialogTemplate empty, alert;
    EXPECT_FALSE(empty.Load(nullptr, MAKEINTRESOURCEA(9999)) || empty.SetFont("MS Shell Dlg 2", 8) ||
                 empty.Lock())
        << "a missing template: nothing is held to edit";
    ASSERT_TRUE(alert.Load(nullptr, MAKEINTRESOURCEA(151)));
    EXPECT_FALSE(alert.SetFont("", 8) || alert.SetFont(std::string(LF_FACESIZE, 'F').c_str(), 8));
    EXPECT_TRUE(alert.SetFont(std::string(LF_FACESIZE - 1, 'F').c_str(), 8));
}
