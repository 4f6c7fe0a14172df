#include "app/update_worker.h"

#include "app/installer_app.h"
#include "app/status_page.h"
#include "app/update_progress.h"
#include "base/alert.h"
#include "base/progress_sink.h"
#include "service/update_exchange.h"
#include "ui/no_response_dialog.h"

#include <cstdint>
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
    // Consecutive attempts after which the dialog could not be shown.
    static uint32_t unasked = 0;
    CNoResponseDialog dialog;
    int32_t result = dialog.DoModal();
    if (result == IDCANCEL)
        ExitProcess(0);
    if (result != -1) {
        unasked = 0;
        return true;
    }
    // Without a dialog no one can say Exit: the question goes to stderr, and
    // connecting again stops after a few tries instead of running for ever.
    bool again = ++unasked <= kUnaskedRetryLimit;
    std::fprintf(stderr,
                 "No Response From Quorvalent Server: There was no response after contacting the "
                 "Quorvalent server. Click the Connect button to try again. (no dialog could be shown: %s)\n",
                 again ? "Connect" : "Exit");
    std::fflush(stderr);
    if (!again)
        ExitProcess(0);
    return true;
}

void InstallerApp::RunUpdateExchange()
{
    UpdateExchange exchange(UpdateProgressSink(*this), &m_pConnection);
    exchange.Run();
    m_nOutcome = exchange.Outcome();
    m_nInstalledSize = exchange.InstalledSize();
}

void InstallerApp::ReadServiceMessage(service_message::Message* message)
{
    ::ReadServiceMessage(*m_pConnection, message);
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
    m_pWorkerThread =
        AfxBeginThread(UpdateWorkerProc, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED, nullptr);
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
