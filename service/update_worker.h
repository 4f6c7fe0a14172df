// The update worker thread and what the user-interface thread does with its
// outcome (InstallerApp::StartUpdateWorker and OnWorkerDone).
#pragma once

#include "afx/afxwin.h"

// The worker: runs the exchange, then posts WM_WORKER_DONE to the
// user-interface thread as its last act. The parameter is the InstallerApp.
UINT UpdateWorkerProc(LPVOID app);

// Asks whether to connect again after a failure: true to try again; the
// answer Exit ends the process at once with exit code 0 and never returns.
// User-interface thread.
bool AskRetryAfterNoResponse();
