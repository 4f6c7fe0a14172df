// The installer's program entry: the framework runs the application object.
#include "app/installer_app.h"

namespace {
// The entry finds the application object through AfxGetApp only; this
// reference keeps the linker from leaving it in the library.
[[maybe_unused]] CWinApp* volatile g_keepApplication = &theApp;
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    return AfxWinMain(instance, previous, commandLine, show);
}
