#include "service/update_progress.h"

#include "app/installer_app.h"
#include "ui/console_sink.h"

void OpenProgressWindow(InstallerApp& app) { app.m_pProgressWnd = nullptr; }

ProgressSink* UpdateProgressSink(InstallerApp&)
{
    // One sink for the whole process: the worker start sets its title on the
    // user-interface thread before the worker, its only other user, runs.
    static ConsoleProgressSink console;
    return &console;
}

void CloseProgressWindow(InstallerApp& app) { app.m_pProgressWnd = nullptr; }
