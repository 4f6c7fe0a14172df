#include "service/update_worker.h"

#include "app/installer_app.h"
#include "service/status_page.h"
#include "service/update_progress.h"
#include "ui/alert.h"
#include "ui/progress_sink.h"

#include <cstdio>

namespace {

const char* const kProblemTitle = "Auto-update Problem";
const char* const kUnavailableText = "Updates are currently unavailable. Please try again a little later.";

void PostQuit(DWORD threadId) { PostThreadMessageA(threadId, WM_QUIT, 0, 0); }

}  // namespace

UINT UpdateWorkerProc(LPVOID parameter)
{
    InstallerApp* app = static_cast<InstallerApp*>(parameter);
    app->RunUpdateExchange();
    PostThreadMessageA(app->m_nThreadID, WM_WORKER_DONE, 0, 0);
    return 0;
}

bool AskRetryAfterNoResponse()
{
    // The No Response dialog comes with the installer's dialogs; until then
    // the question goes to stderr and is answered as its Exit would be where
    // no one can be asked.
    std::fprintf(stderr,
                 "No Response From Quorvalent Server: There was no response after contacting the "
                 "Quorvalent server. Click the Connect button to try again. (no dialog yet: Exit)\n");
    std::fflush(stderr);
    ExitProcess(0);
}

void InstallerApp::StartUpdateWorker()
{
    m_nOutcome = OutcomeNone;
    m_szExecutablePath[0] = '\0';
    m_nInstalledSize = 0;
    OpenProgressWindow(*this);
    ProgressSink* sink = UpdateProgressSink(*this);
    sink->SetTitle("Downloading latest Quorvalent update...");
    sink->Show();
    m_pWorkerThread = AfxBeginThread(UpdateWorkerProc, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED, nullptr);
    if (!m_pWorkerThread) {
        // No thread: the attempt failed before it began, which the user is
        // told as any failed attempt.
        m_nOutcome = OutcomeFailed;
        PostThreadMessageA(m_nThreadID, WM_WORKER_DONE, 0, 0);
        return;
    }
    // The object deletes itself when the worker ends, which may be at once.
    m_pWorkerThread->ResumeThread();
    m_pWorkerThread = nullptr;
}

void InstallerApp::OnWorkerDone(WPARAM, LPARAM)
{
    CloseProgressWindow(*this);
    switch (m_nOutcome) {
    case OutcomeNoSocket:
    case OutcomeFailed:
        if (AskRetryAfterNoResponse()) {
            StartUpdateWorker();
            return;
        }
        break;
    case OutcomeServiceUnavailable:
        ShowAlert("Quorvalent Service Unavailable",
                  "The Quorvalent service is currently unavailable. A web page will open with more "
                  "information.");
        OpenStatusPage();
        break;
    case OutcomeManualUpdate:
        ShowAlert(kProblemTitle,
                  "There is a problem with the auto-updating. Please visit the Quorvalent website to "
                  "update your version of Quorvalent manually.");
        OpenDownloadPage();
        break;
    case OutcomeUpdatesUnavailable:
        ShowAlert(kProblemTitle, kUnavailableText);
        break;
    case OutcomeInstalled:
        if (m_szExecutablePath[0])
            FinishInstallation();
        else
            ShowAlert(kProblemTitle, kUnavailableText);
        break;
    default:
        break;
    }
    PostQuit(m_nThreadID);
}
