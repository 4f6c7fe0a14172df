// The application object, the calling thread's framework object and the
// start-up helpers.
#include "afx/afxwin.h"

#include <winsock.h>

namespace {
CWinApp* g_application = nullptr;
thread_local CWinThread* t_thread = nullptr;
}  // namespace

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
