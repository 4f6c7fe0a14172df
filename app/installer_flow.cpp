#include "app/installer_app.h"

#include "app/installer_claim.h"
#include "app/text.h"
#include "ui/alert.h"
#include "ui/frame_wnd_ex.h"

#include <cstdio>

bool InstallerApp::ParseOptions()
{
    if (__argc < 2 || !__argv)
        return true;
    for (int i = 1; i < __argc; ++i) {
        const char* argument = __argv[i];
        if (!argument || (argument[0] != '/' && argument[0] != '-'))
            continue;
        const char* name = argument + 1;
        // The value is the next argument, which still gets its own turn.
        const char* value = i + 1 < __argc && __argv[i + 1] ? __argv[i + 1] : "";
        if (CompareNoCase(name, "oem") == 0)
            m_bOem = 1;
        else if (CompareNoCase(name, "silent") == 0)
            m_bSilent = 1;
        else if (CompareNoCase(name, "bundle") == 0)
            m_nBundle = ParseDecimal(value);
    }
    return true;
}

bool InstallerApp::CheckWindowsVersion()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    if (version.dwMajorVersion >= 5u)
        return true;
    ShowAlert("Windows 2000 Required", "Quorvalent requires Windows 2000 or later to run.");
    return false;
}

bool InstallerApp::RunInstallDialog()
{
    if (m_bSilent)
        return true;
    // The Install dialog comes with the installer's dialogs; until then the
    // installation goes on with the choices it would start with.
    std::fprintf(stderr, "No Install dialog yet: installing with all shortcuts, as with /silent.\n");
    return true;
}

void InstallerApp::RunInstaller()
{
    if (!CheckWindowsVersion())
        return;
    if (!ClaimInstaller())
        return;
    if (m_bOem)
        WriteBundleValue();
    if (CheckExistingInstallation())
        return;
    if (!RunInstallDialog())
        return;
    if (m_bOem && InstallEmbeddedPackage())
        return;
    StartUpdateWorker();
    // A main-window object without a window: while it is there the message
    // loop waits for the worker's end instead of ending at once. It lives
    // until the process ends.
    m_pMainWnd = new CFrameWndEx();
}
