// Starts the Wine desktop before any test runs. Under the sanitizers the
// tests run with the sanitizer runtime preloaded, and Wine's own programs
// (the desktop among them) cannot start with it; without a desktop no window
// can be made. Wine hands its Unix environment to the programs it starts, so
// the preload is taken out of it while the desktop starts, then put back for
// the programs that tests start themselves.
#include "tests/support/sanitizer_env.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

struct DesktopFirst {
    DesktopFirst()
    {
        const char* preload = std::getenv("LD_PRELOAD");
        std::string kept = preload ? preload : "";
        if (preload)
            unsetenv("LD_PRELOAD");
        GetDesktopWindow();
        if (!kept.empty())
            setenv("LD_PRELOAD", kept.c_str(), 1);
    }
};

DesktopFirst g_desktopFirst;

}  // namespace

WithoutSanitizerPreload::WithoutSanitizerPreload()
{
    const char* preload = std::getenv("LD_PRELOAD");
    if (preload)
        saved_ = preload;
    unsetenv("LD_PRELOAD");
    SetEnvironmentVariableA("LD_PRELOAD", nullptr);
}

WithoutSanitizerPreload::~WithoutSanitizerPreload()
{
    if (saved_.empty())
        return;
    setenv("LD_PRELOAD", saved_.c_str(), 1);
    SetEnvironmentVariableA("LD_PRELOAD", saved_.c_str());
}
