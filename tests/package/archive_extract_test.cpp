#include "tests/support/gtest.h"

#include "base/error_code.h"
#include "base/folders.h"
#include "package/archive_extract.h"
#include "tests/support/package_builder.h"
#include "tests/support/test_env.h"

using namespace testing_package;

namespace {

// Extracts into <scratch>\<name>\inst\; the folder around "inst" shows any
// escape.
struct Extraction {
    std::string base;
    ExtractionResult result;
    ErrorCode code;
    bool inside;  // nothing was written outside the folder
};

Extraction Extract(const std::string& name, std::vector<uint8_t> archive)
{
    Extraction e = {ScratchFolder(name + "\\inst"), {}, 0, false};
    MemoryStream stream;
    stream.Attach(archive.data(), uint32_t(archive.size()));
    e.code = ThrownCode([&] { ExtractArchive(stream, e.base.c_str(), &e.result); });
    e.inside = ListNames(ScratchFolder(name)) == std::vector<std::string>{"inst"} &&
               !FileExists("C:\\evil.txt") && !FileExists("Z:\\evil.txt") &&
               !FileExists((e.base + "evil.txt").c_str());
    return e;
}

}  // namespace

TEST(ExtractArchive, WritesEntriesWithTheirTimesAndFindsTheProgramEntry)
{
    ASSERT_TRUE(WriteWholeFile(ScratchFolder("good\\inst") + "z", "an existing file is emptied"));
    ArchiveBuilder archive;
    archive.Folder("d", 0, 100)
        .File("d\\Quorvalent.new.exe", "exe", kEntryFlagProgram, 0xFFFFFFFE)
        .File("z", "", 0, 5);
    // Ignored, but the last program entry; nothing after the end entry is read.
    Extraction e =
        Extract("good", archive.Entry(7, "q", kEntryFlagProgram).Raw(std::string(1, '\0') + "\xEE").Bytes());
    ASSERT_TRUE(e.code == 0 && e.inside);
    EXPECT_EQ(e.result.headerValueA, 0x11111111u);
    EXPECT_EQ(e.result.headerValueB, 0x22222222u);
    EXPECT_EQ(std::string(e.result.programPath), e.base + "q");
    EXPECT_EQ(ReadWholeFile(e.base + "d\\Quorvalent.new.exe").bytes, "exe");
    EXPECT_EQ(ReadWholeFile(e.base + "z").bytes, "");
    EXPECT_FALSE(FileExists((e.base + "q").c_str()));
    EXPECT_EQ(ModificationTime(e.base + "d\\Quorvalent.new.exe"), -2) << "1969";
    EXPECT_EQ(ModificationTime(e.base + "d"), 100) << "folder times come after the files written into them";
    EXPECT_EQ(ModificationTime(e.base + "z"), 5);
}

TEST(ExtractArchive, MalformedArchivesFailWithoutWritingOutsideTheFolder)
{
    const std::string file(
        "\x01\x00"
        "f\0"
        "\0\0\0\1\0\0\0\1",
        12);  // file "f" up to its size
    struct Case {
        const char* label;
        std::vector<uint8_t> archive;
    } cases[] = {
        {"dot-dot name", ArchiveBuilder().File("..\\evil.txt", "x").End()},
        {"dot-dot inside a name", ArchiveBuilder().File("a..b", "x").End()},
        {"drive letter", ArchiveBuilder().File("C:\\evil.txt", "x").End()},
        {"drive-relative name", ArchiveBuilder().File("C:evil.txt", "x").End()},
        {"alternate data stream", ArchiveBuilder().File("evil.txt:stream", "x").End()},
        {"absolute name", ArchiveBuilder().File("\\evil.txt", "x").End()},
        {"device name", ArchiveBuilder().File("NUL", "x").End()},
        {"dot-dot in a folder", ArchiveBuilder().Folder("..\\evil").End()},
        {"dot-dot in a delete", ArchiveBuilder().Entry(kEntryDelete, "..\\inst").End()},
        {"colon in an ignored type", ArchiveBuilder().Entry(9, "C:\\x").End()},
        {"delete of the folder itself", ArchiveBuilder().Entry(kEntryDelete, "").End()},
        {"delete of dot", ArchiveBuilder().Entry(kEntryDelete, ".").End()},
        {"replacing the folder itself", ArchiveBuilder().Folder(".", kEntryFlagReplaceFolder).End()},
        {"folder path over 1023 bytes", ArchiveBuilder().Folder(std::string(1023, 'f')).End()},
        {"file whose folder is missing", ArchiveBuilder().File("missing\\f.txt", "x").End()},
        {"missing end entry", ArchiveBuilder().File("f.txt", "x").Bytes()},
        {"name of 2048 bytes without NUL",
         ArchiveBuilder().Raw(std::string("\x01\x00", 2) + std::string(2048, 'n')).Bytes()},
        {"data size that wraps",
         ArchiveBuilder().Raw(file + "\xFF\xFF\xFF\xF0" + std::string(17, 'x')).End()},
        {"content one byte past the end", ArchiveBuilder().Raw(file + std::string("\0\0\0\3xx", 6)).Bytes()},
    };
    for (const Case& c : cases) {
        Extraction e = Extract("bad", c.archive);
        EXPECT_TRUE(e.code == kErrorMalformed && e.inside) << c.label << ": " << e.code;
    }
    const std::vector<uint8_t> whole = ArchiveBuilder()
                                           .Folder("d")
                                           .File("d\\f.txt", "content")
                                           .Entry(kEntryDelete, "gone")
                                           .Entry(7, "x")
                                           .End();
    for (size_t length = 0; length < whole.size(); ++length) {
        Extraction e = Extract("cut", {whole.begin(), whole.begin() + length});
        EXPECT_TRUE(e.code == kErrorMalformed && e.inside) << "cut at " << length << ": " << e.code;
    }
    EXPECT_EQ(Extract("whole", whole).code, 0);
}

TEST(ExtractArchive, DeleteEntriesAndReplacedFoldersAreResolvedAgainstTheInstallationFolder)
{
    const std::string current = ScratchFolder("current"), base = ScratchFolder("deletes\\inst");
    ASSERT_TRUE(WriteWholeFile(current + "old.txt", "keep") && WriteWholeFile(base + "old.txt", "remove") &&
                WriteWholeFile(ScratchFolder("deletes\\inst\\oldfolder") + "x.txt", "remove") &&
                WriteWholeFile(ScratchFolder("deletes\\inst\\kept") + "old.txt", "old") &&
                WriteWholeFile(ScratchFolder("deletes\\inst\\replaced") + "old.txt", "old"));
    ArchiveBuilder archive;
    archive.Entry(kEntryDelete, "old.txt")
        .Entry(kEntryDelete, "oldfolder")
        .Entry(kEntryDelete, "never-there");
    archive.Folder("kept").Folder("replaced", kEntryFlagReplaceFolder).File("replaced\\new.txt", "new");
    for (uint32_t i = 0; i < 11; ++i)  // more folders than the list first makes room for
        archive.Folder("f" + std::to_string(i), 0, 1000 + i);
    char saved[MAX_PATH];
    GetCurrentDirectoryA(sizeof saved, saved);
    SetCurrentDirectoryA(current.c_str());
    Extraction e = Extract("deletes", archive.End());
    SetCurrentDirectoryA(saved);
    ASSERT_TRUE(e.code == 0 && e.inside);
    EXPECT_EQ(ReadWholeFile(current + "old.txt").bytes, "keep");
    EXPECT_FALSE(FileExists((base + "old.txt").c_str()) || FileExists((base + "oldfolder").c_str()));
    EXPECT_TRUE(FileExists((base + "kept\\old.txt").c_str()));
    EXPECT_FALSE(FileExists((base + "replaced\\old.txt").c_str()));
    EXPECT_EQ(ReadWholeFile(base + "replaced\\new.txt").bytes, "new");
    EXPECT_EQ(ModificationTime(base + "f0"), 1000);
    EXPECT_EQ(ModificationTime(base + "f10"), 1010);
}
