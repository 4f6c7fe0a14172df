// Shell shortcuts (".lnk") to the installed program, written through the
// shell's link object. COM must be initialised on the calling thread (start-up
// does so on the user-interface thread). Failures skip one shortcut silently.
#pragma once

constexpr const char kShortcutDescription[] = "Quorvalent - play your friends online";
constexpr const char kQuickLaunchSubfolder[] = "Microsoft\\Internet Explorer\\Quick Launch";
constexpr const char kAutostartArgument[] = "/autostart";

// The shortcut's full path in a 260-character buffer: the special folder
// (created when missing), the subfolder if one is given (not created), and the
// executable's file name with ".lnk" for its extension. False when the special
// folder cannot be obtained or the path does not fit.
bool BuildShortcutPath(const char* executablePath, int folderId, const char* subfolder, char* shortcutPath);

// Writes one shortcut file pointing at the target, with the description and
// arguments when they are not null. False when the link object or its file
// interface is unavailable; a failed save is not reported.
bool CreateShellLink(const char* shortcutPath, const char* targetPath, const char* description,
                     const char* arguments);
