#include "tests/support/host_command.h"

int RunHost(const std::string& command, std::string* output)
{
    HostRun run = RunHost(command, 600, true);
    *output += run.output;
    return run.exitCode;
}

std::string Quoted(const std::string& text)
{
    return ShellQuoted(text);
}
