// Environment and HostHas are defined once, in tests/support/test_env.cpp.
#include "tests/support/host_command.h"

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

int RunHost(const std::string& command, std::string* output)
{
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    char line[512];
    while (std::fgets(line, sizeof line, pipe))
        *output += line;
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }
