#include "app/single_instance.h"

#include "base/alert.h"

#include <windows.h>

const char kSingleInstanceMutexName[] = "Local\\QuorvalentSetupInstaller";

namespace {

// Open until the process ends: the mutex exists as long as a handle to it
// does, and an installation ends only with its process.
struct Claim {
    HANDLE mutex = nullptr;
    ~Claim()
    {
        if (mutex)
            CloseHandle(mutex);
    }
};

Claim g_claim;

}  // namespace

bool ClaimSingleInstance()
{
    if (g_claim.mutex)
        return true;
    HANDLE mutex = CreateMutexA(nullptr, FALSE, kSingleInstanceMutexName);
    // Without the mutex (out of resources) nothing tells whether another
    // installer runs; refusing to install for that would be worse.
    if (!mutex)
        return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
        g_claim.mutex = mutex;
        return true;
    }
    CloseHandle(mutex);
    ShowAlert("Quorvalent Setup",
              "Another Quorvalent installer is running. Wait until it has finished, then try again.");
    return false;
}
