// Starting another program: the one way in which the installer does so. The
// started program runs on its own; the installer neither waits for it nor
// keeps its handles. Any thread.
#pragma once

#include <windows.h>

// Starts the program named by the text, in the folder that holds it. A text
// that begins with a double quote is a command line (a quoted path, perhaps
// with arguments); any other text is the program's path alone. The result of
// CreateProcessA; FALSE also for a text too long to handle.
BOOL LaunchProgram(const char* text);

// Starts the text as a command line whether or not it begins with a double
// quote, in the same working folder that LaunchProgram would use. This is how
// an uninstall command, "path /uninstall", is started.
BOOL LaunchCommandLine(const char* text);
