#include "tests/support/process.h"

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

std::string BuildPath(const std::string& name)
{
    const char* build = std::getenv("QV_BUILD_DIR");
    return std::string(build ? build : ".") + "/" + name;
}

namespace {

// The command as one single-quoted shell word.
std::string EscapeQuotes(const std::string& command)
{
    std::string escaped;
    for (char c : command) {
        if (c == '\'')
            escaped += "'\\''";
        else
            escaped += c;
    }
    return escaped;
}

}  // namespace

int RunCommand(const std::string& command, std::string* output)
{
    // Output goes through a file, not a pipe: Wine's helper processes (the
    // desktop process among them) outlive the program and would hold a pipe
    // open, so reading it would never end.
    const char* root = std::getenv("QV_TEST_ROOT");
    std::string file = std::string(root ? root : "/tmp") + "/command-output.txt";
    // A program that waits for ever (a dialog nobody answers) fails the test
    // in a minute instead of holding it until ctest gives up.
    std::string bounded = "timeout -k 5 60 sh -c '" + EscapeQuotes(command) + "'";
    int status = std::system((bounded + " >'" + file + "' 2>&1 </dev/null").c_str());
    if (output) {
        output->clear();
        if (FILE* stream = std::fopen(file.c_str(), "rb")) {
            char chunk[4096];
            size_t count;
            while ((count = std::fread(chunk, 1, sizeof chunk, stream)) > 0)
                output->append(chunk, count);
            std::fclose(stream);
        }
    }
    std::remove(file.c_str());
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunBuiltProgram(const std::string& name, const std::string& arguments, std::string* output)
{
    return RunCommand("'" + BuildPath(name) + "' " + arguments, output);
}
