/* The stand-in Quorvalent: a small real Windows program that the installer
 * delivers, launches and removes, so that an installation can be followed end
 * to end. It shows no window and never waits for the user. */
#ifndef QUORVALENT_STANDIN_H
#define QUORVALENT_STANDIN_H

#include <windows.h>

/* The registry places the installer writes under HKEY_CURRENT_USER. */
#define STANDIN_UNINSTALL_KEY "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvalent"
#define STANDIN_ARP_CACHE_KEY \
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache\\Quorvalent"
#define STANDIN_PRODUCT_KEY "SOFTWARE\\Quorvalent"

/* The file beside the program that gets one line per start. */
#define STANDIN_RECORD_NAME "starts.txt"

/* Writes one line to the program's standard output when it has one (or to
 * its parent's console); a program started from a window has neither and the
 * line is dropped. */
void StandinSay(const char* text);

/* The program's own full path and its folder (no trailing backslash). Both
 * buffers hold MAX_PATH characters; false when the path does not fit. */
BOOL StandinOwnPath(char* path, char* folder);

/* Appends "time<TAB>working folder<TAB>arguments" to the record file beside
 * the program. False when the record could not be written. */
BOOL StandinRecordStart(const char* arguments);

/* Removes what the installer made for the current user: the Uninstall key,
 * the ARP cache key, the product key, the four shortcuts, and the
 * installation folder when this program runs from the folder that the
 * registration names. The program's own file, which a running program cannot
 * delete everywhere, is moved out of the way and left for the system to
 * remove. */
void StandinUninstall(void);

#endif
