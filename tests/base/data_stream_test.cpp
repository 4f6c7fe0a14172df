// DataStream's checked operations, over its two streams.
#include "tests/support/gtest.h"

#include "base/error_code.h"
#include "base/file_stream.h"
#include "base/memory_stream.h"
#include "tests/support/data_rows.h"
#include "tests/support/package_builder.h"
#include "tests/support/test_env.h"

#include <cstdio>
#include <functional>
#include <map>

using namespace testing_package;

// The cases of tests/data/streams.txt: what the case is | stream |
// operation and count | outcome.
TEST(DataStream, FailsBeforeTouchingAnythingPastTheEndOrACountThatWrapsAroundFourGiB)
{
    char text[2048] = {};
    uint8_t digest[16];
    MemoryStream source;
    source.Write(text, 16);
    const std::map<std::string, std::function<void(MemoryStream&, uint32_t)>> operations = {
        {"ReadU32", [](MemoryStream& s, uint32_t) { s.ReadU32(); }},
        {"Read", [&](MemoryStream& s, uint32_t n) { s.Read(text, n); }},
        {"Write", [&](MemoryStream& s, uint32_t n) { s.Write(text, n); }},
        {"SeekTo", [](MemoryStream& s, uint32_t n) { s.SeekTo(n); }},
        {"Skip", [](MemoryStream& s, uint32_t n) { s.Skip(n); }},
        {"ReadCString", [&](MemoryStream& s, uint32_t n) { s.ReadCString(text, n); }},
        {"WritePString", [](MemoryStream& s, uint32_t n) { s.WritePString(std::string(n, 't').c_str()); }},
        {"EnsureSize", [](MemoryStream& s, uint32_t n) { s.EnsureSize(n); }},
        {"Digest", [&](MemoryStream& s, uint32_t n) { s.Digest(16, n, digest, 0); }},
        {"GenericDigest", [&](MemoryStream& s, uint32_t n) { s.DataStream::Digest(16, n, digest, 0); }},
        {"CopyFrom", [&](MemoryStream& s, uint32_t n) { s.CopyFrom(source, n); }},
        {"Release", [](MemoryStream& s, uint32_t) { s.Release(); }},
    };
    for (const DataRow& c : ReadDataRows("streams.txt")) {
        std::string bytes = c.at(1) == "own" ? std::string(32, 'x')
                                             : DataBytes(c[1].substr(std::min<size_t>(6, c[1].size())));
        char operation[16] = "";
        uint32_t count = 0;
        std::sscanf(c.at(2).c_str(), "%15s %u", operation, &count);
        MemoryStream stream;
        if (c[1] == "own")
            stream.Write(bytes.data(), 32), stream.SeekTo(16);
        else
            stream.Attach(reinterpret_cast<uint8_t*>(&bytes[0]), uint32_t(bytes.size()));
        source.SeekTo(8);
        const ErrorCode code = ThrownCode([&] { operations.at(operation)(stream, count); });
        EXPECT_EQ(std::to_string(code) + " at " + std::to_string(stream.GetPosition()) + " of " +
                      std::to_string(stream.GetSize()),
                  c.at(3))
            << c[0];
    }
}

TEST(FileStream, AFailedOpenKeepsTheFileOpenBeforeAndAFolderIsNoFile)
{
    const std::string folder = ScratchFolder("files");
    ASSERT_TRUE(WriteWholeFile(folder + "data.bin", "\1\2\3\4"));
    FileStream file((folder + "data.bin").c_str(), "rb");
    EXPECT_EQ(ThrownCode([&] { file.Open((folder + "missing\\x.bin").c_str(), "rb"); }), kErrorMalformed);
    EXPECT_EQ(ThrownCode([&] { file.Open(folder.c_str(), "rb"); }), kErrorMalformed);
    EXPECT_EQ(file.ReadU32(), 0x01020304u) << "the file open before stays open";
    EXPECT_EQ(ThrownCode([&] { file.ReadU8(); }), kErrorMalformed);
}
