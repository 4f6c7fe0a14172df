// Steps of the installer flow whose own files have not been written yet. Each
// behaves as when there is nothing to do, so the flow ends cleanly.
#include "app/installer_app.h"

#include <cstdio>

LONG InstallerApp::WriteBundleValue() { return ERROR_SUCCESS; }

bool InstallerApp::CheckExistingInstallation() { return false; }

bool InstallerApp::ReadUninstallValue(const char*, char*) { return false; }

void InstallerApp::CreateShortcuts(const char*) {}

bool InstallerApp::InstallEmbeddedPackage() { return false; }

void InstallerApp::FinishInstallation() {}

void InstallerApp::StartUpdateWorker()
{
    std::fprintf(stderr, "The download from the update service is not built yet.\n");
}

void InstallerApp::OnWorkerDone(WPARAM, LPARAM) { PostQuitMessage(0); }
