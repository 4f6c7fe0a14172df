// The installer's application object: start-up, its three options, the
// installer flow and the results that the package job and the update worker
// leave for the user-interface thread.
#pragma once

#include "afx/afxwin.h"

#include <cstdint>

class CProgressFrame;
class TcpConnection;

// Posted by the update worker to the user-interface thread as its last act.
const UINT WM_WORKER_DONE = 12345;

class InstallerApp : public CWinApp {
public:
    InstallerApp();

    // Start-up in its fixed order, then the installer flow. FALSE (sockets
    // could not be initialised) ends the program before any window exists.
    BOOL InitInstance() override;

    // Reads /oem, /silent and /bundle N (or with "-") from __argc/__argv.
    bool ParseOptions();
    // The flow: version check, Bundle value, existing installation, Install
    // dialog, embedded install, download. Returns when a step ends it.
    void RunInstaller();
    // True on Windows 2000 (major version 5) or later; otherwise shows the
    // "Windows 2000 Required" alert.
    bool CheckWindowsVersion();
    // True when the installation is to go on; updates the shortcut flags.
    bool RunInstallDialog();

    // Existing installation (true: found and dealt with; the flow ends).
    bool CheckExistingInstallation();
    bool ReadUninstallValue(const char* name, char* buffer);
    // Registration.
    LONG WriteBundleValue();
    // Shortcuts for the executable, as the three flags say.
    void CreateShortcuts(const char* executablePath);
    // The embedded package (true: installed and finished).
    bool InstallEmbeddedPackage();
    // Shortcuts, registration, and the launch unless oem.
    void FinishInstallation();
    // Shows the progress window and starts the update worker.
    void StartUpdateWorker();
    // WM_WORKER_DONE: acts on m_nOutcome.
    void OnWorkerDone(WPARAM, LPARAM);

    uint8_t m_bDesktopIcon;
    uint8_t m_bQuickLaunchIcon;
    uint8_t m_bStartWithWindows;
    uint8_t m_bOem;
    uint8_t m_bSilent;
    uint32_t m_nBundle;
    CProgressFrame* m_pProgressWnd;
    CWinThread* m_pWorkerThread;
    TcpConnection* m_pConnection;
    int32_t m_nOutcome;
    char m_szExecutablePath[260];
    uint32_t m_nInstalledSize;

protected:
    const AFX_THREAD_MSGMAP_ENTRY* GetThreadMessageMap() const override;
};

// The one application object of the process.
extern InstallerApp theApp;

// Records the installed program's full path in theApp.m_szExecutablePath.
// A path of 260 characters or more does not fit: it is refused (false) and
// the recorded path is emptied, so nothing registers a cut path. Any thread.
bool SetExecutablePath(const char* path);
