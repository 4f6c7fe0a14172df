#include "app/installer_app.h"

#include "service/random.h"

#include <cstring>
#include <ctime>
#include <mmsystem.h>

InstallerApp theApp;

InstallerApp::InstallerApp()
    : m_bDesktopIcon(1),
      m_bQuickLaunchIcon(1),
      m_bStartWithWindows(1),
      m_bOem(0),
      m_bSilent(0),
      m_nBundle(2),
      m_pProgressWnd(nullptr),
      m_pWorkerThread(nullptr),
      m_pConnection(nullptr),
      m_nOutcome(0),
      m_szExecutablePath(),
      m_nInstalledSize(0)
{
}

const AFX_THREAD_MSGMAP_ENTRY* InstallerApp::GetThreadMessageMap() const
{
    static const AFX_THREAD_MSGMAP_ENTRY entries[] = {
        {WM_WORKER_DONE, static_cast<AFX_THREAD_HANDLER>(&InstallerApp::OnWorkerDone)},
        {0, nullptr},
    };
    return entries;
}

BOOL InstallerApp::InitInstance()
{
    AfxEnableControlContainer();
    if (!AfxSocketInit())
        return FALSE;
    AfxInitRichEdit();
    AfxOleInit();
    timeBeginPeriod(1);
    SeedRandom(static_cast<uint32_t>(std::time(nullptr)));
    Enable3dControls();
    SetRegistryKey("Quorvalent");
    ParseOptions();
    RunInstaller();
    return TRUE;
}

bool SetExecutablePath(const char* path)
{
    size_t length = path ? std::strlen(path) : 0;
    if (length >= sizeof theApp.m_szExecutablePath) {
        theApp.m_szExecutablePath[0] = '\0';
        return false;
    }
    std::memcpy(theApp.m_szExecutablePath, path ? path : "", length + 1);
    return true;
}
