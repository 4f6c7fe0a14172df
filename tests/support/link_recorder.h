// Stands in for the browser and mail program: Wine's launcher, a plain
// Windows program that the shell starts (so callers keep the sanitizer
// preload away from it), is pointed at a script that records its links.
#pragma once

#include <string>

// Installs the recorder in the test's prefix; the Unix path of its record.
std::string InstallLinkRecorder();
// The record, one link a line, once it holds `count` links or after 20 s.
std::string WaitForLinks(const std::string& record, int count);
