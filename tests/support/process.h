// Running the project's programs from a test. Programs run inside the test's
// own Wine prefix (the environment that run-in-prefix set up is inherited).
#pragma once

#include <string>

// The Unix path of a file in the build folder, e.g. BuildPath("quorvalent-setup.exe").
std::string BuildPath(const std::string& name);

// Runs a shell command (Unix side, through /bin/sh), collects its standard
// output and standard error together, and returns its exit status, or -1 when
// it could not be run or was killed. Winelib programs write their messages
// with the C library, whose stderr a Windows pipe would not capture; the shell
// does.
int RunCommand(const std::string& command, std::string* output);

// Runs one of the built programs with the given arguments; see RunCommand.
int RunBuiltProgram(const std::string& name, const std::string& arguments, std::string* output);
