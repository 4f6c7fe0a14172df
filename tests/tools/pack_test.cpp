// The package tool run as the release engineer runs it.
#include "tests/support/gtest.h"

#include "tests/support/test_env.h"
#include "tests/support/wine_probe.h"

namespace {

HostRun Pack(const std::string& arguments)
{
    return RunHost(
        "cd " + ShellQuoted(TestRoot()) + " && " + BuiltProgram("quorvalent-pack.exe") + " " + arguments, 60,
        true);
}

// Every file and folder below the Unix folder with its type and
// modification time, then every file's digest, in a fixed order.
std::string Describe(const std::string& folder)
{
    return RunHost("cd " + ShellQuoted(folder) +
                   " && find . -mindepth 1 -printf '%P %y %T@\\n' | sort && find . -type f -exec md5sum {} + "
                   "| sort")
        .output;
}

}  // namespace

// A source with nested and empty folders, an empty file, binary content and
// times before 1970 goes into packages of each kind and comes out whole; then
// each command of tests/data/pack/commands.txt.
TEST(PackTool, RoundTripsAFolderIntoIdenticalFilesAndTimesAndRefusesBadInput)
{
    const std::string root = TestRoot(), source = root + "/src";
    std::string binary;
    for (int i = 0; i < 70000; ++i) binary += char(i * 7 % 256);
    RunHost("cd " + ShellQuoted(root) + " && mkdir -p src/docs/deep/deeper 'src/empty folder'");
    WriteWholeFile(WindowsPath(source + "/docs/deep/deeper/data.bin"), binary);
    // Folder times are set after their contents.
    ASSERT_EQ(RunHost("cd " + ShellQuoted(source) +
                      " && printf 'MZ program' >Quorvalent.new.exe && printf 'read me\\r\\n' >docs/readme.txt"
                      " && : >docs/empty.txt && touch -d @1000000000 Quorvalent.new.exe"
                      " && touch -d @-300000000 docs/readme.txt && touch -d @0 docs/empty.txt"
                      " && touch -d @-2147483647 docs/deep/deeper/data.bin && touch -d @-1 docs/deep/deeper"
                      " && touch -d @86400 docs/deep && touch -d @-157766400 docs && touch -d @2000000000 "
                      "'empty folder'")
                  .exitCode,
              0);
    const std::string expected = Describe(source);
    const struct {
        std::string options, source, package;
    } packages[] = {
        {"", WindowsPath(source), WindowsPath(root + "/good.pkg")},
        {"--no-end-marker", source, root + "/unmarked.pkg"},
        {"--store --level 0", "src", "stored.pkg"},
    };
    for (const auto& p : packages) {
        const std::string made = Pack(p.options + " --program Quorvalent.new.exe " + ShellQuoted(p.source) +
                                      " " + ShellQuoted(p.package))
                                     .output;
        const std::string out = root + "/out-" + std::to_string(&p - packages);
        EXPECT_EQ(Pack("--extract " + ShellQuoted(p.package) + " " + ShellQuoted(out)).exitCode, 0) << made;
        EXPECT_EQ(Describe(out), expected) << p.options;
    }
    std::string good = ReadWholeFile(WindowsPath(root + "/good.pkg")).bytes,
                stored = ReadWholeFile(WindowsPath(root + "/stored.pkg")).bytes;
    EXPECT_TRUE(stored.size() > 16 && stored.substr(4, 4) == stored.substr(8, 4))
        << "archive = compressed size";
    WriteWholeFile(WindowsPath(root + "/cut.pkg"), good.substr(0, good.size() - 1));
    WriteWholeFile(WindowsPath(root + "/tiny.pkg"), good.substr(0, 10));
    Pack("--flags 1 src scrambled.pkg");
    const auto commands = ReadCases("pack/commands.txt", 3);
    ASSERT_FALSE(commands.empty());
    for (const auto& command : commands) {
        HostRun run = Pack(command[0]);
        EXPECT_EQ(
            std::to_string(run.exitCode) + " " + (Contains(run.output, command[2]) ? command[2] : run.output),
            command[1] + " " + command[2])
            << command[0];
    }
}
