// The registry keys of an installation, all under HKEY_CURRENT_USER. The
// registration writes them; the check for an existing installation reads the
// Uninstall key back.
#pragma once

// The entry that the system's list of installed programs shows.
constexpr const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvalent";
// The system's cache of that list: the size record and its change flag.
constexpr const char kArpCacheKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache\\Quorvalent";
// The product's own key; the trailing backslash is part of the name as written.
constexpr const char kProductKey[] = "SOFTWARE\\Quorvalent\\";
