#include "app/installer_app.h"

#include "app/launch.h"
#include "app/registry_keys.h"
#include "ui/installed_dialog.h"

#include <shlwapi.h>

#include <cstdio>

bool InstallerApp::ReadUninstallValue(const char* name, char* buffer)
{
    buffer[0] = '\0';
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = kUninstallValueSize;
    LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ) {
        buffer[0] = '\0';
        return false;
    }
    // A value stored without its NUL that fills the whole buffer does not fit.
    if (size == kUninstallValueSize && buffer[size - 1] != '\0') {
        buffer[0] = '\0';
        return false;
    }
    buffer[size < kUninstallValueSize ? size : kUninstallValueSize - 1] = '\0';
    return true;
}

bool InstallerApp::CheckExistingInstallation()
{
    char path[kUninstallValueSize];
    if (!ReadUninstallValue("InstallLocation", path) || !PathFileExistsA(path))
        return false;
    if (!ReadUninstallValue("UninstallString", path))
        return false;
    PathRemoveArgsA(path);
    PathUnquoteSpacesA(path);
    if (!PathFileExistsA(path) && !PathIsDirectoryA(path))
        return false;

    if (m_bOem) {
        // Another installer is in charge: nothing is asked, and only a silent
        // run renews the shortcuts.
        if (m_bSilent)
            CreateShortcuts(path);
        return true;
    }
    ActOnInstalledChoice(RunInstalledDialog(), path);
    return true;
}

int InstallerApp::RunInstalledDialog()
{
    CInstalledDialog dialog;
    int32_t result = dialog.DoModal();
    if (result == IDOK)
        return kInstalledLaunch;
    if (result == CInstalledDialog::kRemoveResult)
        return kInstalledRemove;
    if (result == -1) {
        // No one can be asked: the question still reaches stderr, and the
        // answer is the one that starts nothing.
        std::fprintf(stderr,
                     "Quorvalent is already installed: Launch, Remove or Cancel? "
                     "(no dialog could be shown: Cancel)\n");
        std::fflush(stderr);
    }
    return kInstalledCancel;
}

void InstallerApp::ActOnInstalledChoice(int choice, const char* executablePath)
{
    if (choice == kInstalledLaunch) {
        LaunchProgram(executablePath);
    } else if (choice == kInstalledRemove) {
        char command[kUninstallValueSize];
        if (ReadUninstallValue("UninstallString", command))
            LaunchCommandLine(command);
    }
}
