// Bounds of the update service exchange (InstallerApp::RunUpdateExchange).
#pragma once

#include <cstdint>

// A service that answers with more redirects than this, one after another,
// is in a loop (or hostile): the exchange then fails.
const uint32_t kMaxRedirects = 10;

// How long the exchange waits for each whole service message, header and
// body, in milliseconds: 30 000 unless a test changed it. A service that
// accepts and then stays silent, or trickles, cannot hold the worker.
uint32_t ServiceMessageTimeLimit();
// Tests only, before the exchange runs.
void SetServiceMessageTimeLimit(uint32_t ms);
