// Steps of the installer flow whose own files have not been written yet. Each
// behaves as when there is nothing to do, so the flow ends cleanly.
#include "app/installer_app.h"

#include <cstdio>

int InstallerApp::RunInstalledDialog()
{
    // The Already Installed dialog comes with the installer's dialogs; until
    // then the question goes to stderr and the answer is its Cancel.
    std::fprintf(stderr,
                 "Quorvalent is already installed: Launch, Remove or Cancel? "
                 "(no dialog yet: Cancel)\n");
    return kInstalledCancel;
}
