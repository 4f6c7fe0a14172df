#include "tests/support/gtest.h"

#include "base/error_code.h"
#include "package/archive_extract.h"
#include "package/folder_list.h"
#include "base/memory_stream.h"
#include "tests/package/package_helpers.h"

#include <string>
#include <vector>

using namespace testing_package;

namespace {

// Extracts into <scratch>\<name>\inst\ and gives back the ErrorCode (0 on
// success). The scratch folder outside "inst" lets a test see any escape.
struct Extraction {
    std::string outside;
    std::string base;
    ExtractionResult result;
    ErrorCode code;
};

Extraction Extract(const std::string& name, std::vector<uint8_t> archive)
{
    Extraction extraction;
    extraction.outside = ScratchFolder(name);
    extraction.base = ScratchFolder(name + "\\inst");
    MemoryStream stream;
    stream.Attach(archive.data(), uint32_t(archive.size()));
    FolderList folders;
    extraction.code = 0;
    try {
        ExtractArchive(stream, extraction.base.c_str(), folders, &extraction.result);
    } catch (ErrorCode code) {
        extraction.code = code;
    }
    return extraction;
}

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> Join(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(ExtractArchive, WritesEntriesWithTheirTimesAndFindsTheProgramEntry)
{
    const std::vector<uint8_t> archive = Join(Join(
        {
            0xCA, 0xFE, 0x00, 0x01,  // header value A
            0x00, 0x00, 0x00, 0x02,  // header value B
            0x02, 0x00, 'd', 0x00,   // folder "d", no flags
            0x00, 0x00, 0x00, 0x64,  // modification time 100
            0x00, 0x00, 0x00, 0x64,  // creation time 100
            0x01, 0x01,              // file, program entry
        },
        Bytes(std::string("d\\Quorvalent.new.exe", 21))), {
            0xFF, 0xFF, 0xFF, 0xFE,  // modification time -2 (1969)
            0xFF, 0xFF, 0xFF, 0xFE,  // creation time
            0x00, 0x00, 0x00, 0x03,  // data size 3
            'e', 'x', 'e',           // content
            0x01, 0x00, 'z', 0x00,   // empty file "z"
            0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00,
            0x07, 0x01, 'q', 0x00,   // type 7, flagged: ignored, but the last program entry
            0x00,                    // end
            0xEE, 0xEE,              // never read
        });
    ASSERT_TRUE(WriteFileText(ScratchFolder("good\\inst") + "z", "an existing file is emptied"));
    Extraction e = Extract("good", archive);
    ASSERT_EQ(e.code, 0);
    EXPECT_EQ(e.result.headerValueA, 0xCAFE0001u);
    EXPECT_EQ(e.result.headerValueB, 2u);
    EXPECT_EQ(std::string(e.result.programPath), e.base + "q");
    EXPECT_EQ(ReadFileText(e.base + "d\\Quorvalent.new.exe"), "exe");
    EXPECT_EQ(ReadFileText(e.base + "z"), "");
    EXPECT_FALSE(Exists(e.base + "q"));
    EXPECT_EQ(ModificationTime(e.base + "d\\Quorvalent.new.exe"), -2);
    EXPECT_EQ(ModificationTime(e.base + "d"), 100) << "folder times come after the files written into them";
    EXPECT_EQ(ModificationTime(e.base + "z"), 5);
}

TEST(ExtractArchive, MalformedArchivesFailWithoutWritingOutsideTheFolder)
{
    const std::string longName(2048, 'n');
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
         Join(ArchiveBuilder().Bytes(), Join({kEntryFile, 0}, Bytes(longName)))},
        {"data size that wraps",
         Join(ArchiveBuilder().Bytes(),
              {kEntryFile, 0, 'f', 0,   // file "f"
               0, 0, 0, 1, 0, 0, 0, 1,  // times
               0xFF, 0xFF, 0xFF, 0xF0,  // data size 0xFFFFFFF0
               'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 0})},
        {"content one byte past the end",
         Join(ArchiveBuilder().Bytes(), {kEntryFile, 0, 'f', 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 3, 'x', 'x'})},
        {"header values cut short", {0, 0, 0, 1, 0, 0}},
        {"empty archive", {}},
    };
    for (const Case& c : cases) {
        Extraction e = Extract("bad", c.archive);
        EXPECT_EQ(e.code, kErrorMalformed) << c.label;
        EXPECT_EQ(ListNames(e.outside), std::vector<std::string>{"inst"}) << c.label;
        EXPECT_FALSE(Exists("C:\\evil.txt")) << c.label;
        EXPECT_FALSE(Exists("Z:\\evil.txt")) << c.label;
        EXPECT_FALSE(Exists(e.base + "evil.txt")) << c.label;
    }
}

TEST(ExtractArchive, EveryTruncationFailsWithMalformed)
{
    const std::vector<uint8_t> archive = ArchiveBuilder()
                                             .Folder("d")
                                             .File("d\\f.txt", "content")
                                             .Entry(kEntryDelete, "gone")
                                             .Entry(7, "other")
                                             .End();
    for (size_t length = 0; length < archive.size(); ++length) {
        Extraction e = Extract("cut", std::vector<uint8_t>(archive.begin(), archive.begin() + length));
        EXPECT_EQ(e.code, kErrorMalformed) << "cut at " << length;
        EXPECT_EQ(ListNames(e.outside), std::vector<std::string>{"inst"});
    }
    EXPECT_EQ(Extract("whole", archive).code, 0);
}

TEST(ExtractArchive, DeleteEntriesAndReplacedFoldersAreResolvedAgainstTheInstallationFolder)
{
    const std::string current = ScratchFolder("current");
    ASSERT_TRUE(WriteFileText(current + "old.txt", "keep"));
    const std::string base = ScratchFolder("deletes\\inst");
    ASSERT_TRUE(WriteFileText(base + "old.txt", "remove"));
    ASSERT_TRUE(CreateDirectoryA((base + "oldfolder").c_str(), nullptr));
    ASSERT_TRUE(WriteFileText(base + "oldfolder\\x.txt", "remove"));
    char saved[MAX_PATH];
    GetCurrentDirectoryA(sizeof saved, saved);
    SetCurrentDirectoryA(current.c_str());
    Extraction e = Extract("deletes", ArchiveBuilder()
                                          .Entry(kEntryDelete, "old.txt")
                                          .Entry(kEntryDelete, "oldfolder")
                                          .Entry(kEntryDelete, "never-there")
                                          .End());
    SetCurrentDirectoryA(saved);
    ASSERT_EQ(e.code, 0);
    EXPECT_FALSE(Exists(base + "old.txt"));
    EXPECT_FALSE(Exists(base + "oldfolder"));
    EXPECT_EQ(ReadFileText(current + "old.txt"), "keep");

    // The replace flag empties an existing folder; without it the folder is kept.
    for (const char* folder : {"kept", "replaced"}) {
        ASSERT_TRUE(CreateDirectoryA((base + folder).c_str(), nullptr));
        ASSERT_TRUE(WriteFileText(base + folder + "\\old.txt", "old"));
    }
    e = Extract("deletes", ArchiveBuilder()
                               .Folder("kept")
                               .Folder("replaced", kEntryFlagReplaceFolder)
                               .File("replaced\\new.txt", "new")
                               .End());
    ASSERT_EQ(e.code, 0);
    EXPECT_TRUE(Exists(base + "kept\\old.txt"));
    EXPECT_FALSE(Exists(base + "replaced\\old.txt"));
    EXPECT_EQ(ReadFileText(base + "replaced\\new.txt"), "new");
}
