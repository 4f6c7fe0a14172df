// Registration of an installed Quorvalent for the current user: the entry in
// the system's list of installed programs, its size record, and the product's
// own key. Every registry failure is silent: a key that cannot be opened skips
// its own values only. User-interface thread (or any one thread at a time).
#pragma once

#include <cstdint>

// The product web site; the support page and the home page hang off it.
constexpr const char kHelpLink[] = "http://www.quorvalent.example/support/";
constexpr const char kAboutLink[] = "http://www.quorvalent.example/";

// WriteUninstallEntry, then ExecutablePath under "SOFTWARE\Quorvalent\".
void RegisterInstallation(const char* executablePath, uint32_t installedSize);

// The Uninstall key's values from Comments to InstallDate, then
// WriteEstimatedSize, which runs even when the key could not be opened. A path
// of 260 characters or more gets neither InstallLocation nor UninstallString,
// which would hold a cut path.
void WriteUninstallEntry(const char* executablePath, uint32_t installedSize);

// EstimatedSize in the Uninstall key, and the SlowInfoCache record: created
// when absent, its size replaced when it is a 552-byte binary value, left
// alone (and Changed not written) when it has another type or length.
void WriteEstimatedSize(uint32_t installedSize);
