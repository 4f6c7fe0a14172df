#include "tests/support/gtest.h"

#include "app/error_code.h"
#include "package/memory_stream.h"
#include "package/package_format.h"

#include <string>
#include <vector>

namespace {

ErrorCode ParseOutcome(const std::vector<uint8_t>& bytes, uint32_t expected, PackageHeader* header)
{
    try {
        ParsePackageHeader(bytes.data(), expected, header);
    } catch (ErrorCode code) {
        return code;
    }
    return 0;
}

}  // namespace

TEST(PackageHeader, ChecksVersionNumberAndSizesInThatOrder)
{
    struct Case {
        const char* label;
        std::vector<uint8_t> bytes;
        ErrorCode expected;
    } cases[] = {
        {"the embedded package",
         {0x01,                    // version
          0x00,                    // flags
          0x00, 0x01,              // package number 1
          0x00, 0x12, 0x1E, 0xDA,  // archive size 1187546
          0x00, 0x06, 0x13, 0xE8,  // compressed size 398312
          0x00, 0x00, 0x00, 0x00}, // trailing size
         0},
        {"version 2 is refused before the zero sizes are seen",
         {0x02, 0x00, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, kErrorMalformed},
        {"another package number",
         {0x01, 0x00, 0x00, 0x02, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0}, kErrorMalformed},
        {"number 0x0101 is not 1 (both bytes count)",
         {0x01, 0x00, 0x01, 0x01, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0}, kErrorMalformed},
        {"archive size 0", {0x01, 0x00, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}, kErrorMalformed},
        {"compressed size 0", {0x01, 0x00, 0x00, 0x01, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}, kErrorMalformed},
        {"scrambled flag and trailing bytes are only recorded",
         {0x01, 0xFF, 0x00, 0x01, 0, 0, 0, 9, 0, 0, 0, 9, 0xFF, 0xFF, 0xFF, 0xFF}, 0},
    };
    for (const Case& c : cases) {
        PackageHeader header = {};
        EXPECT_EQ(ParseOutcome(c.bytes, 1, &header), c.expected) << c.label;
    }
    PackageHeader header = {};
    ASSERT_EQ(ParseOutcome(cases[0].bytes, 1, &header), 0);
    EXPECT_EQ(header.archiveSize, 1187546u);
    EXPECT_EQ(header.compressedSize, 398312u);
    EXPECT_EQ(header.trailingSize, 0u);
    ASSERT_EQ(ParseOutcome(cases[6].bytes, 1, &header), 0);
    EXPECT_EQ(header.flags, 0xFF);
    EXPECT_EQ(header.trailingSize, 0xFFFFFFFFu);

    uint8_t encoded[kPackageHeaderSize];
    PackageHeader embedded = {0, 1, 1187546, 398312, 0};
    EncodePackageHeader(embedded, encoded);
    EXPECT_EQ(std::vector<uint8_t>(encoded, encoded + 16), cases[0].bytes);
}

TEST(ArchiveEntry, ReadsEachTypeAsFarAsItsFieldsGo)
{
    std::vector<uint8_t> archive = {
        0x00, 0x00, 0x00, 0x07,  // header value A
        0x00, 0x00, 0x00, 0x08,  // header value B
        0x01,                    // file
        0x01,                    // flags: program entry
        'a', '.', 'b', 0x00,     // name
        0x00, 0x00, 0x00, 0x10,  // modification time 16
        0xFF, 0xFF, 0xFF, 0xFF,  // creation time -1
        0x00, 0x00, 0x00, 0x02,  // data size 2
        'h', 'i',                // content
        0x02,                    // folder
        0x08,                    // flags: replace
        'd', 0x00,               // name
        0x00, 0x00, 0x00, 0x20,  // modification time 32
        0x00, 0x00, 0x00, 0x21,  // creation time 33
        0x03, 0x00, 'x', 0x00,   // delete x
        0x07, 0x01, 'q', 0x00,   // type 7 with flags bit 0: no further fields
        0x00,                    // end
    };
    MemoryStream stream;
    stream.Attach(archive.data(), uint32_t(archive.size()));
    uint32_t a = 0, b = 0;
    ReadArchiveHeader(stream, &a, &b);
    EXPECT_EQ(a, 7u);
    EXPECT_EQ(b, 8u);
    struct Expected {
        uint8_t type, flags;
        std::string name;
        uint32_t modified, created, dataSize;
    } expected[] = {
        {kEntryFile, 1, "a.b", 16, 0xFFFFFFFF, 2},
        {kEntryFolder, 8, "d", 32, 33, 0},
        {kEntryDelete, 0, "x", 0, 0, 0},
        {7, 1, "q", 0, 0, 0},
        {kEntryEnd, 0, "", 0, 0, 0},
    };
    char name[kEntryNameCapacity];
    for (const Expected& e : expected) {
        ArchiveEntry entry;
        ReadArchiveEntry(stream, &entry, name, sizeof name);
        EXPECT_EQ(entry.type, e.type);
        EXPECT_EQ(entry.flags, e.flags) << e.name;
        EXPECT_EQ(std::string(name), e.name);
        EXPECT_EQ(entry.modificationTime, e.modified) << e.name;
        EXPECT_EQ(entry.creationTime, e.created) << e.name;
        EXPECT_EQ(entry.dataSize, e.dataSize) << e.name;
        stream.Skip(entry.dataSize);
    }
    EXPECT_EQ(stream.GetPosition(), stream.GetSize());

    // The writer gives back the same bytes.
    MemoryStream written;
    WriteArchiveHeader(written, 7, 8);
    WriteArchiveEntry(written, ArchiveEntry{kEntryFile, 1, 16, 0xFFFFFFFF, 2}, "a.b");
    written.Write("hi", 2);
    WriteArchiveEntry(written, ArchiveEntry{kEntryFolder, 8, 32, 33, 0}, "d");
    WriteArchiveEntry(written, ArchiveEntry{kEntryDelete, 0, 0, 0, 0}, "x");
    WriteArchiveEntry(written, ArchiveEntry{7, 1, 0, 0, 0}, "q");
    WriteArchiveEntry(written, ArchiveEntry{kEntryEnd, 0, 0, 0, 0}, "");
    EXPECT_EQ(std::vector<uint8_t>(written.GetBuffer(), written.GetBuffer() + written.GetSize()), archive);
    EXPECT_EQ(ArchiveEntryLength(kEntryFile, 3), 18u);
    EXPECT_EQ(ArchiveEntryLength(kEntryFolder, 1), 12u);
}

TEST(ArchiveEntry, NamesOfTwoThousandAndFortyEightBytesAreRefused)
{
    std::string name2047(2047, 'n');
    std::string name2048(2048, 'n');
    MemoryStream stream;
    WriteArchiveEntry(stream, ArchiveEntry{kEntryDelete, 0, 0, 0, 0}, name2047.c_str());
    EXPECT_THROW(WriteArchiveEntry(stream, ArchiveEntry{kEntryDelete, 0, 0, 0, 0}, name2048.c_str()), ErrorCode);
    stream.WriteU8(kEntryDelete);
    stream.WriteU8(0);
    stream.Write(name2048.data(), 2048);
    stream.WriteU8(0);
    stream.SeekTo(0);
    char name[kEntryNameCapacity];
    ArchiveEntry entry;
    ReadArchiveEntry(stream, &entry, name, sizeof name);
    EXPECT_EQ(std::string(name), name2047);
    EXPECT_THROW(ReadArchiveEntry(stream, &entry, name, sizeof name), ErrorCode);
}
