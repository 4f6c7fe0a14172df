#include "tests/support/gtest.h"

#include "base/folders.h"
#include "package/package_format.h"
#include "tests/support/process.h"
#include "tests/support/test_env.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string UnixTestRoot()
{
    const char* root = std::getenv("QV_TEST_ROOT");
    return root ? root : "/tmp";
}

// Runs quorvalent-pack.exe with the arguments; its exit code, and what it
// printed when asked.
int RunPack(const std::string& arguments, std::string* output = nullptr)
{
    return RunBuiltProgram("quorvalent-pack.exe", arguments, output);
}

// A path as one argument; a trailing backslash would escape the closing quote.
std::string Quoted(std::string path)
{
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    return "\"" + path + "\"";
}

void SetModificationTime(const std::string& path, int64_t seconds)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    uint64_t intervals = uint64_t((seconds + 11644473600LL) * 10000000LL);
    FILETIME time = {DWORD(intervals), DWORD(intervals >> 32)};
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

// Every file and folder under a folder, each with its content ("<folder>"
// for folders) and modification time, in a fixed order.
void Describe(const std::string& folder, const std::string& prefix, std::vector<std::string>* lines)
{
    std::vector<std::string> names = ListNames(folder);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        std::string path = folder + name;
        bool isFolder = GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY;
        lines->push_back(prefix + name + " " + std::to_string(ModificationTime(path)) + " " +
                         (isFolder ? std::string("<folder>") : ReadWholeFile(path).bytes));
        if (isFolder)
            Describe(path + "\\", prefix + name + "\\", lines);
    }
}

std::vector<std::string> Describe(const std::string& folder)
{
    std::vector<std::string> lines;
    Describe(folder, "", &lines);
    return lines;
}

// A source folder with nested folders, an empty file, binary content and
// times before 1970; folder times set last, after their contents.
std::string MakeSourceFolder()
{
    const std::string source = ScratchFolder("source");
    std::string binary;
    for (int i = 0; i < 70000; ++i)
        binary += char((i * 7) % 256);
    CreateDirectoryA((source + "docs").c_str(), nullptr);
    CreateDirectoryA((source + "docs\\deep").c_str(), nullptr);
    CreateDirectoryA((source + "docs\\deep\\deeper").c_str(), nullptr);
    CreateDirectoryA((source + "empty folder").c_str(), nullptr);
    WriteWholeFile(source + "Quorvalent.new.exe", "MZ program");
    WriteWholeFile(source + "docs\\readme.txt", "read me\r\n");
    WriteWholeFile(source + "docs\\empty.txt", "");
    WriteWholeFile(source + "docs\\deep\\deeper\\data.bin", binary);
    SetModificationTime(source + "Quorvalent.new.exe", 1000000000);
    SetModificationTime(source + "docs\\readme.txt", -300000000);  // 1960
    SetModificationTime(source + "docs\\empty.txt", 0);
    SetModificationTime(source + "docs\\deep\\deeper\\data.bin", -2147483647);
    SetModificationTime(source + "docs\\deep\\deeper", -1);
    SetModificationTime(source + "docs\\deep", 86400);
    SetModificationTime(source + "docs", -157766400);  // 1965
    SetModificationTime(source + "empty folder", 2000000000);
    return source;
}

}  // namespace

TEST(PackTool, RoundTripsAFolderIntoIdenticalFilesAndTimes)
{
    const std::string source = MakeSourceFolder();
    const std::vector<std::string> expected = Describe(source);
    ASSERT_EQ(expected.size(), 8u);
    const std::string unixRoot = UnixTestRoot();
    struct Case {
        const char* label;
        std::string options;
        std::string sourceArgument;
        std::string package;
    } cases[] = {
        {"LZMA, Windows paths", "", Quoted(source), Quoted(ScratchFolder("out") + "lzma.pkg")},
        {"LZMA without end marker, Unix paths", "--no-end-marker", Quoted(unixRoot + "/source"),
         Quoted(unixRoot + "/out/unmarked.pkg")},
        {"stored", "--store --level 0", Quoted(source), Quoted(ScratchFolder("out") + "stored.pkg")},
    };
    int index = 0;
    for (const Case& c : cases) {
        std::string target = ScratchFolder("out") + "extracted" + std::to_string(index++);
        ASSERT_EQ(RunPack(c.options + " --program Quorvalent.new.exe " + c.sourceArgument + " " + c.package), 0)
            << c.label;
        std::string listing;
        EXPECT_EQ(RunPack("--list " + c.package, &listing), 0) << c.label;
        EXPECT_NE(listing.find("file   flags 0x01  Quorvalent.new.exe"), std::string::npos) << listing;
        EXPECT_NE(listing.find("docs\\deep\\deeper\\data.bin"), std::string::npos) << listing;
        ASSERT_EQ(RunPack("--extract " + c.package + " " + Quoted(target)), 0) << c.label;
        EXPECT_EQ(Describe(target + "\\"), expected) << c.label;
    }
    std::string stored = ReadWholeFile(ScratchFolder("out") + "stored.pkg").bytes;
    std::string lzma = ReadWholeFile(ScratchFolder("out") + "lzma.pkg").bytes;
    ASSERT_GT(lzma.size(), 21u);
    EXPECT_EQ(stored.substr(4, 4), stored.substr(8, 4)) << "stored: archive size = compressed size";
    EXPECT_EQ(lzma.substr(16, 5), std::string("\x5D\x00\x00\x00\x02", 5));
}

TEST(PackTool, DeleteEntriesReplacedFoldersTrailingBytesAndFlags)
{
    const std::string source = ScratchFolder("options\\source");
    CreateDirectoryA((source + "plugins").c_str(), nullptr);
    WriteWholeFile(source + "plugins\\new.dll", "new");
    WriteWholeFile(source + "Quorvalent.new.exe", "MZ");
    const std::string package = ScratchFolder("options") + "options.pkg";
    ASSERT_EQ(RunPack("--number 7 --trailing 5 --replace plugins --delete old.txt --program Quorvalent.new.exe " +
                      Quoted(source) + " " + Quoted(package)),
              0);
    std::string bytes = ReadWholeFile(package).bytes;
    ASSERT_GE(bytes.size(), 16u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x01\x00\x00\x07", 4)) << "version, flags, package number 7";
    EXPECT_EQ(bytes.substr(12, 4), std::string("\x00\x00\x00\x05", 4)) << "trailing size";

    const std::string target = ScratchFolder("options\\target");
    CreateDirectoryA((target + "plugins").c_str(), nullptr);
    WriteWholeFile(target + "plugins\\stale.dll", "stale");
    WriteWholeFile(target + "old.txt", "old");
    WriteWholeFile(target + "other.txt", "kept");
    EXPECT_NE(RunPack("--extract --number 1 " + Quoted(package) + " " + Quoted(target)), 0) << "wrong number";
    ASSERT_EQ(RunPack("--extract --number 7 " + Quoted(package) + " " + Quoted(target)), 0);
    EXPECT_FALSE(FileExists((target + "old.txt").c_str()));
    EXPECT_FALSE(FileExists((target + "plugins\\stale.dll").c_str()));
    EXPECT_EQ(ReadWholeFile(target + "plugins\\new.dll").bytes, "new");
    EXPECT_EQ(ReadWholeFile(target + "other.txt").bytes, "kept");

    const std::string scrambled = ScratchFolder("options") + "scrambled.pkg";
    ASSERT_EQ(RunPack("--flags 1 " + Quoted(source) + " " + Quoted(scrambled)), 0);
    EXPECT_NE(RunPack("--extract " + Quoted(scrambled) + " " + Quoted(ScratchFolder("options\\never"))), 0);
}

TEST(PackTool, FailsWithNonZeroExitOnBadInput)
{
    const std::string folder = ScratchFolder("failures");
    CreateDirectoryA((folder + "src").c_str(), nullptr);
    WriteWholeFile(folder + "src\\a.txt", "a");
    ASSERT_EQ(RunPack(Quoted(folder + "src") + " " + Quoted(folder + "good.pkg")), 0);
    std::string good = ReadWholeFile(folder + "good.pkg").bytes;
    WriteWholeFile(folder + "cut.pkg", good.substr(0, good.size() - 1));
    WriteWholeFile(folder + "tiny.pkg", good.substr(0, 10));
    struct Case {
        const char* label;
        std::string arguments;
    } cases[] = {
        {"no arguments", ""},
        {"unknown option", "--bogus a b"},
        {"missing source", Quoted(folder + "absent") + " " + Quoted(folder + "x.pkg")},
        {"program entry not in the folder", "--program nothere.exe " + Quoted(folder + "src") + " x.pkg"},
        {"delete entry outside the folder", "--delete ..\\x " + Quoted(folder + "src") + " x.pkg"},
        {"package number too large", "--number 70000 " + Quoted(folder + "src") + " x.pkg"},
        {"truncated package", "--extract " + Quoted(folder + "cut.pkg") + " " + Quoted(folder + "out1")},
        {"package shorter than its header", "--list " + Quoted(folder + "tiny.pkg")},
    };
    for (const Case& c : cases)
        EXPECT_NE(RunPack(c.arguments), 0) << c.label;
    EXPECT_EQ(RunPack("--extract " + Quoted(folder + "good.pkg") + " " + Quoted(folder + "out2")), 0);
}
