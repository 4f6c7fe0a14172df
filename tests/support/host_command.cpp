#include "tests/support/host_command.h"

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

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

bool HostHas(const char* program)
{
    std::string ignored;
    return RunHost(std::string("command -v ") + program, &ignored) == 0;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }
