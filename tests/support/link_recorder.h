// Stands in for the user's web browser and mail program: Wine's launcher is
// pointed at a script that records the links it is given, so no real
// browser starts. The shell starts that launcher as a plain Windows program,
// so callers opening links keep the sanitizer preload away from it
// (WithoutSanitizerPreload).
#pragma once

#include <string>

// Installs the recorder in the test's prefix; returns the Unix path of its
// record, one link a line.
std::string InstallLinkRecorder();

// The recorded links once count of them have arrived (the launcher runs on
// its own), or what is there after 20 s.
std::string WaitForLinks(const std::string& record, int count);
