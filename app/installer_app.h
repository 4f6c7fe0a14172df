// The installer's application object: start-up, its three options, the
// installer flow and the results that the package job and the update worker
// leave for the user-interface thread. Its operations live in several files;
// each group below names the file that holds it.
#pragma once

#include "afx/afxwin.h"
#include "base/executable_path.h"
#include "service/service_message.h"
#include "service/update_exchange.h"

#include <cstdint>

class CProgressFrame;
class Connection;

// Posted by the update worker to the user-interface thread as its last act.
const UINT WM_WORKER_DONE = 12345;

// The registry paths that the existing-installation check reads, NUL included.
const DWORD kUninstallValueSize = 260;

// Results of the Already Installed dialog.
const int kInstalledLaunch = 1;
const int kInstalledCancel = 2;
const int kInstalledRemove = 3;

class InstallerApp : public CWinApp {
public:
    // --- app/installer_app.cpp: the object, start-up and its message map
    // (SetExecutablePath, declared in base/executable_path.h, is there too).

    InstallerApp();
    // Start-up in its fixed order, then the installer flow. FALSE (sockets
    // could not be initialised) ends the program before any window exists.
    BOOL InitInstance() override;

    // --- app/installer_flow.cpp: options and the flow.

    // Reads /oem, /silent and /bundle N (or with "-") from __argc/__argv.
    bool ParseOptions();
    // The flow: version check, one installer at a time, Bundle value,
    // existing installation, Install dialog, embedded install, download.
    // Returns when a step ends it.
    void RunInstaller();
    // True on Windows 2000 (major version 5) or later; otherwise shows the
    // "Windows 2000 Required" alert.
    bool CheckWindowsVersion();
    // True when the installation is to go on; updates the shortcut flags.
    bool RunInstallDialog();

    // --- app/existing_installation.cpp: an installation already there.
    // User-interface thread.

    // Looks for an installation that the Uninstall key records and whose
    // folder and executable still exist. True when one was found and dealt
    // with (the flow ends): with /oem nothing is asked (with /silent too the
    // shortcuts are renewed); otherwise the Already Installed dialog decides.
    // False: install as usual.
    bool CheckExistingInstallation();
    // Reads a REG_SZ value of the Uninstall key into a buffer of
    // kUninstallValueSize characters, always NUL-terminated. False (and an
    // empty buffer) when the value is absent, of another type, or too long.
    bool ReadUninstallValue(const char* name, char* buffer);
    // Runs the Already Installed dialog: kInstalledLaunch, kInstalledRemove
    // or kInstalledCancel.
    int RunInstalledDialog();
    // Launch starts the executable from its folder with no arguments; Remove
    // starts the UninstallString command; anything else does nothing.
    void ActOnInstalledChoice(int choice, const char* executablePath);

    // --- app/registration.cpp (the rest of the registration is declared in
    // app/registration.h).

    // Writes Bundle under "SOFTWARE\Quorvalent\". Returns the registry error of
    // the key's creation, else of its closing.
    LONG WriteBundleValue();

    // --- app/shortcuts.cpp (its helpers are declared in app/shortcuts.h).

    // Shortcuts for the executable: Programs always, then Quick Launch,
    // Desktop and Startup ("/autostart") as the three flags say. Each failure
    // skips its own shortcut silently. Needs COM on the calling thread.
    void CreateShortcuts(const char* executablePath);

    // --- app/embedded_install.cpp and app/finish_installation.cpp.

    // Installs the package carried as resource "ARC" 10000 (package number 1)
    // and finishes the installation. False, with nothing shown by this call,
    // when the resource is missing or unusable, the job fails, or no
    // executable was recorded: the caller then downloads the package.
    // User-interface thread.
    bool InstallEmbeddedPackage();
    // Shortcuts, registration with m_nInstalledSize, and the launch of the
    // installed program unless /oem. Uses m_szExecutablePath.
    void FinishInstallation();

    // --- app/update_worker.cpp: the download road (the worker's thread
    // function and the No Response question are declared in
    // app/update_worker.h).

    // Resets the worker's results, shows the progress window and starts the
    // update worker; returns once the thread runs. User-interface thread.
    void StartUpdateWorker();
    // WM_WORKER_DONE: removes the progress window and acts on m_nOutcome:
    // finish the installation, tell why there is no update, or ask whether
    // to try again. User-interface thread.
    void OnWorkerDone(WPARAM, LPARAM);
    // The update service exchange, then the download and install of the
    // package it names; leaves the result in m_nOutcome (and
    // m_nInstalledSize). Never throws. Update worker thread.
    void RunUpdateExchange();
    // Reads one service message from m_pConnection into message, type and
    // length in host order. A length above 1024 throws -3 before any body
    // byte is read; a message not complete within 30 000 ms throws -255;
    // the connection's errors pass through.
    void ReadServiceMessage(service_message::Message* message);

    // --- Fields, in their fixed order.

    uint8_t m_bDesktopIcon;
    uint8_t m_bQuickLaunchIcon;
    uint8_t m_bStartWithWindows;
    uint8_t m_bOem;
    uint8_t m_bSilent;
    uint32_t m_nBundle;
    CProgressFrame* m_pProgressWnd;
    CWinThread* m_pWorkerThread;
    Connection* m_pConnection;
    int32_t m_nOutcome;
    char m_szExecutablePath[260];
    uint32_t m_nInstalledSize;

protected:
    // app/installer_app.cpp: WM_WORKER_DONE to OnWorkerDone, its one entry.
    const AFX_THREAD_MSGMAP_ENTRY* GetThreadMessageMap() const override;
};

extern InstallerApp theApp;
