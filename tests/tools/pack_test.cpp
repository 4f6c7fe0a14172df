// The package tool run as the release engineer runs it.
#include "tests/support/gtest.h"

#include "tests/support/data_rows.h"
#include "tests/support/wine_probe.h"

TEST(PackTool, RoundTripsFoldersListsAndRefusesBadInputAsItsCommandsSay)
{
    const auto commands = ReadDataRows("pack/commands.txt", 3);
    ASSERT_FALSE(commands.empty());
    // Every file and folder below the folder with its type and modification
    // time, then every file's digest, in a fixed order.
    const std::string describe =
        "describe() { (cd \"$1\" && find . -mindepth 1 -printf '%P %y %T@\\n' | sort &&"
        " find . -type f -exec md5sum {} + | sort); }; ";
    for (const auto& command : commands) {
        const bool shell = command[0].compare(0, 3, "sh ") == 0;
        const HostRun run = RunHost("cd " + ShellQuoted(TestRoot()) + " && " +
                                        (shell ? describe + command[0].substr(3)
                                               : BuiltProgram("quorvalent-pack.exe") + " " + command[0]),
                                    60, !shell);
        EXPECT_EQ(
            std::to_string(run.exitCode) + " " + (Contains(run.output, command[2]) ? command[2] : run.output),
            command[1] + " " + command[2])
            << command[0];
    }
}
