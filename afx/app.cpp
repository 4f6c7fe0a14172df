#include "afx/afxwin.h"

#include <cstring>
#include <winsock.h>

namespace {
CWinApp* g_application = nullptr;
thread_local CWinThread* t_thread = nullptr;
}

BOOL CWinThread::InitInstance() { return FALSE; }

int CWinThread::ExitInstance() { return static_cast<int>(m_msgCur.wParam); }

const AFX_THREAD_MSGMAP_ENTRY* CWinThread::GetThreadMessageMap() const { return nullptr; }

bool CWinThread::DispatchThreadMessage(const MSG& msg)
{
    const AFX_THREAD_MSGMAP_ENTRY* entry = GetThreadMessageMap();
    for (; entry && entry->nMessage != 0; ++entry) {
        if (entry->nMessage == msg.message) {
            (this->*entry->pfnHandler)(msg.wParam, msg.lParam);
            return true;
        }
    }
    return false;
}

BOOL CWinThread::PreTranslateMessage(MSG* msg)
{
    if (msg->hwnd == nullptr)
        return DispatchThreadMessage(*msg);
    return AfxWalkPreTranslateTree(msg);
}

BOOL CWinThread::PumpMessage()
{
    BOOL got = GetMessageA(&m_msgCur, nullptr, 0, 0);
    if (got == 0 || got == -1)
        return FALSE;
    if (!PreTranslateMessage(&m_msgCur)) {
        TranslateMessage(&m_msgCur);
        DispatchMessageA(&m_msgCur);
    }
    return TRUE;
}

int CWinThread::Run()
{
    for (;;) {
        if (m_pMainWnd == nullptr && !PeekMessageA(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE))
            PostQuitMessage(0);
        if (!PumpMessage())
            break;
    }
    return ExitInstance();
}

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName), m_szRegistryKey()
{
    g_application = this;
    m_nThreadID = GetCurrentThreadId();
}

CWinApp::~CWinApp()
{
    if (g_application == this)
        g_application = nullptr;
}

void CWinApp::SetRegistryKey(const char* company)
{
    lstrcpynA(m_szRegistryKey, company ? company : "", sizeof m_szRegistryKey);
}

BOOL CWinApp::Enable3dControls() { return TRUE; }

CWinApp* AfxGetApp() { return g_application; }

CWinThread* AfxGetThread()
{
    if (t_thread)
        return t_thread;
    if (g_application && g_application->m_nThreadID == GetCurrentThreadId())
        return g_application;
    return nullptr;
}

void AfxSetThread(CWinThread* thread) { t_thread = thread; }

void AfxEnableControlContainer() {}

BOOL AfxSocketInit()
{
    WSADATA data;
    return WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

BOOL AfxInitRichEdit()
{
    static HMODULE richEdit = LoadLibraryA("riched32.dll");
    return richEdit != nullptr;
}

BOOL AfxOleInit()
{
    HRESULT result = OleInitialize(nullptr);
    return SUCCEEDED(result);
}
