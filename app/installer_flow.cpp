#include "app/installer_app.h"

#include "app/single_instance.h"
#include "base/alert.h"
#include "base/text.h"
#include "ui/frame_wnd_ex.h"
#include "ui/install_dialog.h"

#include <cstdio>

namespace {

// A stored flag byte is read as a signed byte for the dialog's check value.
int32_t CheckValue(uint8_t flag) { return flag < 0x80 ? flag : flag - 0x100; }

}  // namespace

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
    CInstallDialog dialog;
    dialog.desktopIcon = CheckValue(m_bDesktopIcon);
    dialog.quickLaunchIcon = CheckValue(m_bQuickLaunchIcon);
    dialog.startWithWindows = CheckValue(m_bStartWithWindows);
    int32_t result = dialog.DoModal();
    if (result == -1) {
        // No dialog could be shown, so no one chose to install: as a cancel.
        std::fprintf(stderr, "Quorvalent - Install: no dialog could be shown; nothing is installed.\n");
        std::fflush(stderr);
    }
    if (result != IDOK)
        return false;
    m_bDesktopIcon = static_cast<uint8_t>(dialog.desktopIcon);
    m_bQuickLaunchIcon = static_cast<uint8_t>(dialog.quickLaunchIcon);
    m_bStartWithWindows = static_cast<uint8_t>(dialog.startWithWindows);
    return true;
}

void InstallerApp::RunInstaller()
{
    if (!CheckWindowsVersion())
        return;
    if (!ClaimSingleInstance())
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
