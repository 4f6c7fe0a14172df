// Transitional: the old host-command calls for the display tests that still
// use them; tests/support/test_env.h replaces them. Remove once no test
// includes this file.
#pragma once

#include "tests/support/test_env.h"

#include <string>

// Runs a shell command of the host with the sanitizer's preload kept; its
// exit code (-1 when it could not run or outlived ten minutes), with what it
// printed added to `output`.
int RunHost(const std::string& command, std::string* output);
// The text as one single-quoted shell word.
std::string Quoted(const std::string& text);
