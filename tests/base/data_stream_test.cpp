// DataStream's checked operations, over its two streams.
#include "tests/support/gtest.h"

#include "base/error_code.h"
#include "base/file_stream.h"
#include "base/memory_stream.h"
#include "tests/support/test_env.h"

#include <functional>
#include <openssl/md5.h>

TEST(DataStream, ReadsAndWritesFailBeforeTouchingAnythingPastTheEnd)
{
    std::vector<uint8_t> cstring2047(2048, 'n'), noNul2048(2048, 'n'), pstring63(64, 'p'), pstring64(65, 'p');
    cstring2047[2047] = 0;
    pstring63[0] = 63;
    pstring64[0] = 64;
    char text[2048];
    struct Case {
        const char* label;
        std::vector<uint8_t> bytes;
        std::function<void(DataStream&)> operation;
        ErrorCode expected;
        uint32_t positionAfter;
    } cases[] = {
        {"U16 of 01 02", {1, 2}, [](DataStream& s) { EXPECT_EQ(s.ReadU16(), 258); }, 0, 2},
        {"U32 with three bytes left", {1, 2, 3}, [](DataStream& s) { s.ReadU32(); }, kErrorMalformed, 0},
        {"Read of 0 at the end", {}, [](DataStream& s) { s.Read(nullptr, 0); }, 0, 0},
        {"Read of 1 at the end", {}, [&](DataStream& s) { s.Read(text, 1); }, kErrorMalformed, 0},
        {"SeekTo the size", {1, 2}, [](DataStream& s) { s.SeekTo(2); }, 0, 2},
        {"SeekTo past the size", {1, 2}, [](DataStream& s) { s.SeekTo(3); }, kErrorMalformed, 0},
        {"Skip past the end", {1, 2}, [](DataStream& s) { s.Skip(3); }, kErrorMalformed, 0},
        {"PString of 63, capacity 64", pstring63, [&](DataStream& s) { s.ReadPString(text, 64); }, 0, 64},
        {"PString of 64, capacity 64", pstring64, [&](DataStream& s) { s.ReadPString(text, 64); },
         kErrorMalformed, 1},
        {"CString of 2047 and NUL", cstring2047, [&](DataStream& s) { s.ReadCString(text, 2048); }, 0, 2048},
        {"CString of 2048 without NUL", noNul2048, [&](DataStream& s) { s.ReadCString(text, 2048); },
         kErrorMalformed, 2048},
        {"PString of 300 characters takes 256 bytes", std::vector<uint8_t>(256),
         [](DataStream& s) { s.WritePString(std::string(300, 't').c_str()); }, 0, 256},
        {"a write past an attached block", std::vector<uint8_t>(10),
         [](DataStream& s) { s.Write("01234567890", 11); }, kErrorMalformed, 0},
    };
    for (Case& c : cases) {
        MemoryStream stream;
        stream.Attach(c.bytes.data(), uint32_t(c.bytes.size()));
        EXPECT_EQ(ThrownCode([&] { c.operation(stream); }), c.expected) << c.label;
        EXPECT_EQ(stream.GetPosition(), c.positionAfter) << c.label;
    }
}

TEST(DataStream, CountsThatWrapAroundFourGiBAreRefused)
{
    uint8_t spare[16] = {};
    const uint32_t huge = 0xFFFFFFF0;  // 16 + huge wraps to 0
    MemoryStream source;
    source.Write(spare, sizeof spare);
    std::function<void(MemoryStream&)> operations[] = {
        [&](MemoryStream& s) { s.Read(spare, huge); },
        [&](MemoryStream& s) { s.Skip(huge); },
        [&](MemoryStream& s) { s.Write(spare, huge); },
        [&](MemoryStream& s) { s.EnsureSize(0xFFFFFF00); },  // its 512 bytes of slack wrap
        [&](MemoryStream& s) { s.Digest(16, huge, spare, 0); },
        [&](MemoryStream& s) { s.DataStream::Digest(16, huge, spare, 0); },
        [&](MemoryStream& s) { s.CopyFrom(source, huge); },
    };
    for (auto& operation : operations) {
        MemoryStream stream;
        stream.Write(std::string(32, 'x').data(), 32);
        stream.SeekTo(16);
        source.SeekTo(8);
        EXPECT_EQ(ThrownCode([&] { operation(stream); }), kErrorMalformed) << &operation - operations;
        EXPECT_EQ(stream.GetPosition(), 16u) << &operation - operations;
        EXPECT_EQ(stream.GetSize(), 32u) << &operation - operations;
    }
}

TEST(DataStream, DigestIsMd5OfTheStretchAndItsSuffix)
{
    MemoryStream stream;
    stream.Write("xxabcyy", 7);
    uint8_t own[16], generic[16], expected[16];
    MD5(reinterpret_cast<const uint8_t*>("abc\0\0\0\1"), 7, expected);
    stream.Digest(2, 3, own, 1);
    stream.DataStream::Digest(2, 3, generic, 1);
    EXPECT_EQ(std::string(own, own + 16), std::string(expected, expected + 16));
    EXPECT_EQ(std::string(generic, generic + 16), std::string(expected, expected + 16));
}

TEST(MemoryStream, OwnStorageKeepsItsBytesAcrossGrowthAndIsEmptiedWhenReleased)
{
    std::string bytes;
    for (int i = 0; i < 300; ++i)
        bytes += char(i);
    MemoryStream own;
    own.Write(bytes.data(), 256);
    own.Write(bytes.data() + 256, 44);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(own.GetBuffer()), own.GetSize()), bytes);
    own.Release();
    EXPECT_EQ(own.GetSize(), 0u) << "a released heap block cannot be read any more";
}

TEST(FileStream, WritesMoveTheSizeAndAFailedOpenKeepsTheOpenFile)
{
    const std::string folder = ScratchFolder("files");
    const std::string path = folder + "data.bin";
    FileStream file(path.c_str(), "wb");
    file.WriteU32(0x01020304);
    file.WriteU16(0x0506);
    file.SeekTo(0);
    file.WriteU8(9);
    EXPECT_EQ(file.GetSize(), 6u) << "writing inside leaves the size";
    file.Close();
    file.Open(path.c_str(), "rb");
    EXPECT_EQ(ThrownCode([&] { file.Open((folder + "missing\\x.bin").c_str(), "rb"); }), kErrorMalformed);
    EXPECT_EQ(file.ReadU32(), 0x09020304u) << "the file open before stays open";
    EXPECT_EQ(ThrownCode([&] { file.ReadU32(); }), kErrorMalformed);
    EXPECT_EQ(file.GetPosition(), 4u);
    EXPECT_EQ(ThrownCode([&] { FileStream folderStream(folder.c_str(), "rb"); }), kErrorMalformed);
}
