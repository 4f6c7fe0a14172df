// Commands of the host (Linux) system run from a test under Wine, and the
// environment variables the test runner sets.
#pragma once

#include <string>

// The variable's value, or empty when it is not set.
std::string Environment(const char* name);
// Runs a shell command of the host; its exit code (-1 when it could not be
// run or did not exit), with its stdout and stderr added to `output`.
int RunHost(const std::string& command, std::string* output);
// Whether the host has `program` on its PATH.
bool HostHas(const char* program);
// `text` in single quotes for the shell (it must hold none itself).
std::string Quoted(const std::string& text);
