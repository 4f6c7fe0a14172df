#include "tests/support/gtest.h"

#include "base/error_code.h"
#include "base/file_stream.h"
#include "base/memory_stream.h"
#include "tests/package/package_helpers.h"

#include <cstring>
#include <functional>
#include <openssl/md5.h>
#include <string>
#include <vector>

namespace {

using testing_package::ScratchFolder;

std::vector<uint8_t> Contents(MemoryStream& stream)
{
    return std::vector<uint8_t>(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
}

// Runs the operation and gives back the ErrorCode it threw, or 0.
ErrorCode Outcome(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (ErrorCode code) {
        return code;
    }
    return 0;
}

std::string Hex(const uint8_t* bytes, size_t count)
{
    std::string text;
    char pair[3];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        text += pair;
    }
    return text;
}

}  // namespace

TEST(DataStream, WritesBigEndianIntegersAndLengthPrefixedTexts)
{
    const std::string longText(300, 'x');
    struct Case {
        const char* label;
        std::function<void(DataStream&)> write;
        std::vector<uint8_t> expected;
    } cases[] = {
        {"U8 keeps the low byte", [](DataStream& s) { s.WriteU8(0x1FF); }, {0xFF}},
        {"U16 keeps the low 16 bits", [](DataStream& s) { s.WriteU16(0x12345); }, {0x23, 0x45}},
        {"U32 high byte first", [](DataStream& s) { s.WriteU32(0xA1B2C3D4); }, {0xA1, 0xB2, 0xC3, 0xD4}},
        {"PString of a null pointer", [](DataStream& s) { s.WritePString(nullptr); }, {0x00}},
        {"PString of an empty text", [](DataStream& s) { s.WritePString(""); }, {0x00}},
        {"PString has no NUL", [](DataStream& s) { s.WritePString("ab"); }, {0x02, 'a', 'b'}},
    };
    for (const Case& c : cases) {
        MemoryStream stream;
        c.write(stream);
        EXPECT_EQ(Contents(stream), c.expected) << c.label;
    }
    MemoryStream stream;
    stream.WritePString(longText.c_str());
    ASSERT_EQ(stream.GetSize(), 256u);
    EXPECT_EQ(stream.GetBuffer()[0], 255);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(stream.GetBuffer()) + 1, 255), longText.substr(0, 255));
}

TEST(DataStream, ReadsFailBeforeTouchingAnythingPastTheEnd)
{
    std::string text2047(2047, 'n');
    std::vector<uint8_t> cstring2047(text2047.begin(), text2047.end());
    cstring2047.push_back(0);
    std::vector<uint8_t> noNul2048(2048, 'n');
    std::vector<uint8_t> pstring63(64, 'p'), pstring64(65, 'p');
    pstring63[0] = 63;
    pstring64[0] = 64;
    char text[2048];
    struct Case {
        const char* label;
        std::vector<uint8_t> bytes;
        std::function<void(DataStream&)> read;
        ErrorCode expected;
        uint32_t positionAfter;
    } cases[] = {
        {"U16 of 01 02", {1, 2}, [](DataStream& s) { EXPECT_EQ(s.ReadU16(), 258); }, 0, 2},
        {"U32 with three bytes left", {1, 2, 3}, [](DataStream& s) { s.ReadU32(); }, kErrorMalformed, 0},
        {"Read of 0 at the end", {}, [](DataStream& s) { s.Read(nullptr, 0); }, 0, 0},
        {"Read of 1 at the end", {}, [](DataStream& s) { uint8_t b; s.Read(&b, 1); }, kErrorMalformed, 0},
        {"SeekTo the size", {1, 2}, [](DataStream& s) { s.SeekTo(2); }, 0, 2},
        {"SeekTo past the size", {1, 2}, [](DataStream& s) { s.SeekTo(3); }, kErrorMalformed, 0},
        {"Skip to the end", {1, 2}, [](DataStream& s) { s.Skip(2); }, 0, 2},
        {"Skip past the end", {1, 2}, [](DataStream& s) { s.Skip(3); }, kErrorMalformed, 0},
        {"PString of 63 with capacity 64", pstring63, [&](DataStream& s) { s.ReadPString(text, 64); }, 0, 64},
        {"PString of 64 with capacity 64", pstring64, [&](DataStream& s) { s.ReadPString(text, 64); },
         kErrorMalformed, 1},
        {"CString of 2047 and NUL", cstring2047, [&](DataStream& s) { s.ReadCString(text, 2048); }, 0, 2048},
        {"CString of 2048 without NUL", noNul2048, [&](DataStream& s) { s.ReadCString(text, 2048); },
         kErrorMalformed, 2048},
        {"CString without NUL at the end", {'a', 'b'}, [&](DataStream& s) { s.ReadCString(text, 2048); },
         kErrorMalformed, 2},
    };
    for (Case& c : cases) {
        MemoryStream stream;
        stream.Attach(c.bytes.data(), uint32_t(c.bytes.size()));
        EXPECT_EQ(Outcome([&] { c.read(stream); }), c.expected) << c.label;
        EXPECT_EQ(stream.GetPosition(), c.positionAfter) << c.label;
    }
}

TEST(DataStream, CountsThatWrapAroundFourGiBAreRefused)
{
    std::vector<uint8_t> bytes(32, 0xAB);
    uint8_t spare[16] = {};
    uint8_t digest[16];
    const uint32_t huge = 0xFFFFFFF0;  // 16 + huge wraps to 0
    struct Case {
        const char* label;
        std::function<void(MemoryStream&)> operation;
    } cases[] = {
        {"Read", [&](MemoryStream& s) { s.Read(spare, huge); }},
        {"Skip", [&](MemoryStream& s) { s.Skip(huge); }},
        {"Digest from the position", [&](MemoryStream& s) { s.Digest(16, huge, digest, 0); }},
        {"Digest of the generic body", [&](MemoryStream& s) { s.DataStream::Digest(16, huge, digest, 0); }},
        {"Write", [&](MemoryStream& s) { s.Write(spare, huge); }},
        {"EnsureSize whose slack wraps", [&](MemoryStream& s) { s.EnsureSize(0xFFFFFF00); }},
        {"CopyFrom", [&](MemoryStream& s) {
             MemoryStream source;
             source.Write(spare, sizeof spare);
             source.SeekTo(8);
             s.CopyFrom(source, huge);
         }},
    };
    for (const Case& c : cases) {
        MemoryStream stream;
        stream.Write(bytes.data(), uint32_t(bytes.size()));
        stream.SeekTo(16);
        EXPECT_EQ(Outcome([&] { c.operation(stream); }), kErrorMalformed) << c.label;
        EXPECT_EQ(stream.GetPosition(), 16u) << c.label;
        EXPECT_EQ(stream.GetSize(), 32u) << c.label;
    }
}

TEST(MemoryStream, AttachedBlocksNeverGrowAndOwnStorageGrowsBy512)
{
    uint8_t block[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE};
    MemoryStream attached;
    attached.Attach(block, 10);
    attached.SeekTo(5);
    attached.Write("fives", 5);
    EXPECT_EQ(attached.GetSize(), 10u);
    EXPECT_EQ(Outcome([&] { attached.WriteU8(7); }), kErrorMalformed);
    EXPECT_EQ(block[10], 0xEE) << "nothing beyond the block is touched";
    attached.Release();
    EXPECT_EQ(block[9], 's') << "the caller's block is neither freed nor changed";

    MemoryStream own;
    std::vector<uint8_t> first(256);
    for (size_t i = 0; i < first.size(); ++i)
        first[i] = uint8_t(i);
    own.Write(first.data(), 256);
    EXPECT_EQ(own.GetCapacity(), 256u) << "256 bytes still fit the inline buffer";
    own.Write(first.data(), 44);
    EXPECT_EQ(own.GetCapacity(), 812u);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), own.GetBuffer()));
    own.Release();
    EXPECT_EQ(own.GetSize(), 0u) << "a released heap block cannot be read any more";
}

TEST(DataStream, DigestIsMd5WithOptionalSuffixAndKeepsThePosition)
{
    const std::string folder = ScratchFolder("digest");
    const std::string path = folder + "abc.bin";
    {
        FileStream file(path.c_str(), "wb");
        file.Write("xxabcyy", 7);
    }
    FileStream file(path.c_str(), "rb");
    MemoryStream memory;
    memory.Write("xxabcyy", 7);
    uint8_t suffixed[7] = {'a', 'b', 'c', 0, 0, 0, 1};
    uint8_t expectedSuffixed[16];
    MD5(suffixed, sizeof suffixed, expectedSuffixed);
    DataStream* streams[] = {&file, &memory};
    for (DataStream* stream : streams) {
        uint8_t digest[16];
        stream->SeekTo(6);
        stream->Digest(2, 3, digest, 0);
        EXPECT_EQ(Hex(digest, 16), "900150983cd24fb0d6963f7d28e17f72");
        stream->Digest(2, 3, digest, 1);
        EXPECT_EQ(Hex(digest, 16), Hex(expectedSuffixed, 16));
        EXPECT_EQ(stream->GetPosition(), 6u);
        EXPECT_EQ(Outcome([&] { stream->Digest(2, 6, digest, 0); }), kErrorMalformed);
        EXPECT_EQ(stream->GetPosition(), 6u) << "sought back after the failure";
    }
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
    EXPECT_EQ(file.GetSize(), 0u);
    file.Open(path.c_str(), "rb");
    EXPECT_EQ(file.GetSize(), 6u);
    EXPECT_EQ(Outcome([&] { file.Open((folder + "missing\\x.bin").c_str(), "rb"); }), kErrorMalformed);
    EXPECT_EQ(file.ReadU32(), 0x09020304u) << "the file open before stays open";
    EXPECT_EQ(Outcome([&] { file.ReadU32(); }), kErrorMalformed);
    EXPECT_EQ(file.GetPosition(), 4u);
    EXPECT_EQ(Outcome([&] { FileStream folderStream(folder.c_str(), "rb"); }), kErrorMalformed);
}
