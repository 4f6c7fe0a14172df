// Which archive entry names may be joined to the installation folder.
// Plain functions; any thread.
#pragma once

// True for a name that stays inside the folder it is joined to: relative
// (no leading backslash), with backslashes as its only separators, without
// ".." anywhere, without ":" (a drive letter or an alternate data stream),
// without characters that no Windows file name may hold (control
// characters, < > " | ? * /), and without
// a component that names a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9,
// with or without an extension).
bool IsSafeEntryName(const char* name);

// True when the name, joined to a folder, means that folder itself: every
// component is empty or ".". Such a name must not delete anything.
bool NamesBaseFolder(const char* name);
