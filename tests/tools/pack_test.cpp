// The package tool round trip and its refusals, run as the release engineer
// runs it.
#include "tests/support/gtest.h"

#include "tests/support/test_env.h"
#include "tests/support/wine_probe.h"

#include <algorithm>
#include <string>

namespace {

HostRun Pack(const std::string& arguments)
{
    return RunHost(BuiltProgram("quorvalent-pack.exe") + " " + arguments, 60, true);
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

// A source with nested and empty folders, an empty file, binary content and
// times before 1970; folder times are set after their contents.
std::string MakeSource()
{
    const std::string source = TestRoot() + "/source";
    RunHost("mkdir -p " + ShellQuoted(source + "/docs/deep/deeper") + " " +
            ShellQuoted(source + "/empty folder"));
    std::string binary;
    for (int i = 0; i < 70000; ++i) binary += char(i * 7 % 256);
    WriteWholeFile(WindowsPath(source + "/Quorvalent.new.exe"), "MZ program");
    WriteWholeFile(WindowsPath(source + "/docs/readme.txt"), "read me\r\n");
    WriteWholeFile(WindowsPath(source + "/docs/empty.txt"), "");
    WriteWholeFile(WindowsPath(source + "/docs/deep/deeper/data.bin"), binary);
    RunHost("cd " + ShellQuoted(source) +
            " && touch -d @1000000000 Quorvalent.new.exe && touch -d @-300000000 docs/readme.txt"
            " && touch -d @0 docs/empty.txt && touch -d @-2147483647 docs/deep/deeper/data.bin"
            " && touch -d @-1 docs/deep/deeper && touch -d @86400 docs/deep && touch -d @-157766400 docs"
            " && touch -d @2000000000 'empty folder'");
    return source;
}

}  // namespace

TEST(PackTool, RoundTripsAFolderIntoIdenticalFilesAndTimes)
{
    const std::string source = MakeSource();
    const std::string expected = Describe(source);
    ASSERT_EQ(std::count(expected.begin(), expected.end(), '\n'), 8 + 4) << expected;
    const std::string out = TestRoot() + "/out";
    RunHost("mkdir -p " + ShellQuoted(out));
    const struct {
        const char* label;
        std::string options, source, package;
    } cases[] = {
        {"LZMA, Windows paths", "", WindowsPath(source), WindowsPath(out + "/lzma.pkg")},
        {"LZMA without end marker, Unix paths", "--no-end-marker", source, out + "/unmarked.pkg"},
        {"stored", "--store --level 0", WindowsPath(source), WindowsPath(out + "/stored.pkg")},
    };
    int index = 0;
    for (const auto& c : cases) {
        const std::string target = out + "/extracted" + std::to_string(index++);
        HostRun made = Pack(c.options + " --program Quorvalent.new.exe " + ShellQuoted(c.source) + " " +
                            ShellQuoted(c.package));
        ASSERT_EQ(made.exitCode, 0) << c.label << ": " << made.output;
        std::string listing = Pack("--list " + ShellQuoted(c.package)).output;
        EXPECT_NE(listing.find("file   flags 0x01  Quorvalent.new.exe"), std::string::npos) << listing;
        EXPECT_NE(listing.find("docs\\deep\\deeper\\data.bin"), std::string::npos) << listing;
        ASSERT_EQ(
            Pack("--extract " + ShellQuoted(c.package) + " " + ShellQuoted(WindowsPath(target))).exitCode, 0)
            << c.label;
        EXPECT_EQ(Describe(target), expected) << c.label;
    }
    std::string stored = ReadWholeFile(WindowsPath(out + "/stored.pkg")).bytes;
    ASSERT_GE(stored.size(), 16u);
    EXPECT_EQ(stored.substr(4, 4), stored.substr(8, 4)) << "stored: archive size = compressed size";
}

TEST(PackTool, RefusesBadInputWithANonZeroExit)
{
    const std::string folder = WindowsPath(TestRoot()) + "\\failures";
    const std::string source = ShellQuoted(folder + "\\src");
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA((folder + "\\src").c_str(), nullptr);
    WriteWholeFile(folder + "\\src\\a.txt", "a");
    ASSERT_EQ(Pack(source + " " + ShellQuoted(folder + "\\good.pkg")).exitCode, 0);
    ASSERT_EQ(Pack("--flags 1 " + source + " " + ShellQuoted(folder + "\\scrambled.pkg")).exitCode, 0);
    std::string good = ReadWholeFile(folder + "\\good.pkg").bytes;
    WriteWholeFile(folder + "\\cut.pkg", good.substr(0, good.size() - 1));
    WriteWholeFile(folder + "\\tiny.pkg", good.substr(0, 10));
    const struct {
        const char* label;
        std::string arguments;
    } cases[] = {
        {"no arguments", ""},
        {"unknown option", "--bogus a b"},
        {"missing source", ShellQuoted(folder + "\\absent") + " x.pkg"},
        {"program entry not in the folder", "--program nothere.exe " + source + " x.pkg"},
        {"delete entry outside the folder", "--delete " + ShellQuoted("..\\x") + " " + source + " x.pkg"},
        {"package number too large", "--number 70000 " + source + " x.pkg"},
        {"truncated package",
         "--extract " + ShellQuoted(folder + "\\cut.pkg") + " " + ShellQuoted(folder + "\\o1")},
        {"package shorter than its header", "--list " + ShellQuoted(folder + "\\tiny.pkg")},
        {"another package number",
         "--extract --number 7 " + ShellQuoted(folder + "\\good.pkg") + " " + ShellQuoted(folder + "\\o2")},
        {"scrambled package",
         "--extract " + ShellQuoted(folder + "\\scrambled.pkg") + " " + ShellQuoted(folder + "\\o3")},
    };
    for (const auto& c : cases) EXPECT_NE(Pack(c.arguments).exitCode, 0) << c.label;
    EXPECT_EQ(
        Pack("--extract " + ShellQuoted(folder + "\\good.pkg") + " " + ShellQuoted(folder + "\\o4")).exitCode,
        0);
}
