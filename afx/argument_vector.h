// The C runtime's argument vector, __argc and __argv (declared in afxwin.h).
#pragma once

// Makes __argc and __argv the program's arguments in the ANSI code page, as
// the Windows C runtime has them before WinMain: there nothing is left to do
// (argument_vector_windows.cpp); a Winelib program's C library has no such
// vector, so it is defined and filled from the command line
// (argument_vector_wine.cpp). Called once, by the program entry on the
// user-interface thread, before InitInstance.
void FillArgumentVector();
