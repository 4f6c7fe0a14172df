#include "app/installer_app.h"

#include "app/launch.h"
#include "app/registration.h"

void InstallerApp::FinishInstallation()
{
    CreateShortcuts(m_szExecutablePath);
    RegisterInstallation(m_szExecutablePath, m_nInstalledSize);
    // Another installer that passed /oem starts the program itself, if at all.
    if (!m_bOem)
        LaunchProgram(m_szExecutablePath);
}
