#include "app/update_progress.h"

#include "app/installer_app.h"
#include "ui/console_sink.h"
#include "ui/progress_frame.h"

void OpenProgressWindow(InstallerApp& app)
{
    CProgressFrame* frame = new CProgressFrame();
    if (!frame->HasWindow()) {
        delete frame;
        frame = nullptr;
    }
    app.m_pProgressWnd = frame;
}

ProgressSink* UpdateProgressSink(InstallerApp& app)
{
    if (app.m_pProgressWnd)
        return app.m_pProgressWnd;
    // One console sink for the whole process: the worker start sets its
    // title on the user-interface thread before the worker, its only other
    // user, runs.
    static ConsoleProgressSink console;
    return &console;
}

void CloseProgressWindow(InstallerApp& app)
{
    delete app.m_pProgressWnd;
    app.m_pProgressWnd = nullptr;
}
