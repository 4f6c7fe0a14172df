// The update worker thread and what the user-interface thread does with its
// outcome (InstallerApp::StartUpdateWorker and OnWorkerDone).
#pragma once

#include "afx/afxwin.h"

#include <cstdint>

// The worker: runs the exchange, then posts WM_WORKER_DONE to the
// user-interface thread as its last act. The parameter is the InstallerApp.
UINT UpdateWorkerProc(LPVOID app);

// How many times in a row the installer connects again on its own when the
// No Response dialog cannot be shown at all (no display, no template).
const uint32_t kUnaskedRetryLimit = 1;

// Asks whether to connect again after a failure: true to try again; the
// answer Exit ends the process at once with exit code 0 and never returns.
// When the dialog cannot be shown it connects again, up to
// kUnaskedRetryLimit times in a row, and then ends as Exit does.
// User-interface thread.
bool AskRetryAfterNoResponse();
