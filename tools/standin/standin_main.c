/* Entry of the stand-in Quorvalent: each start is recorded, "/autostart"
 * is recorded and announced, "/uninstall" removes the installation. */
#include "standin.h"

#include <stdio.h>
#include <string.h>

/* The command line after the program's own name, without leading blanks. */
static const char* ArgumentsOf(const char* commandLine)
{
    const char* p = commandLine;
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t') ++p;
    }
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}

static BOOL StartsWithOption(const char* arguments, const char* option)
{
    size_t length = strlen(option);
    if (_strnicmp(arguments, option, length) != 0)
        return FALSE;
    return arguments[length] == '\0' || arguments[length] == ' ' || arguments[length] == '\t';
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    const char* arguments = ArgumentsOf(GetCommandLineA());
    /* Every start is recorded; a removal deletes the record with the folder
     * unless the program runs from somewhere else. */
    BOOL recorded = StandinRecordStart(arguments);
    if (StartsWithOption(arguments, "/uninstall")) {
        StandinUninstall();
        StandinSay("Quorvalent has been removed.");
        return 0;
    }
    if (StartsWithOption(arguments, "/autostart"))
        StandinSay("Quorvalent started with Windows (/autostart).");
    else
        StandinSay("Quorvalent started.");
    if (!recorded)
        StandinSay("The start could not be recorded.");
    return recorded ? 0 : 1;
}
