// The framework's part of the program entry: makes the C runtime's argument
// vector ready and runs the application object.
#include "afx/afxwin.h"

#include "afx/argument_vector.h"

int AfxWinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    FillArgumentVector();
    CWinApp* app = AfxGetApp();
    if (!app)
        return -1;
    app->m_nThreadID = GetCurrentThreadId();
    AfxMessageFilterHook filter;
    if (!app->InitInstance())
        return app->ExitInstance();
    return app->Run();
}
