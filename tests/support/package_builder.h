// Archives and packages written with the format's own writers and the
// package tool's LZMA encoder, the web server's answers that carry them, and
// a ProgressSink that records what a job reports. Shared by the tests of
// every area and by the fuzz targets' seeds. One thread.
#pragma once

#include "base/memory_stream.h"
#include "base/progress_sink.h"
#include "package/package_format.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testing_package {

// An archive built entry by entry after the header values 0x11111111 and
// 0x22222222; Entry writes a type, flags and name only, Raw any bytes.
class ArchiveBuilder {
public:
    ArchiveBuilder() { WriteArchiveHeader(stream_, 0x11111111, 0x22222222); }
    ArchiveBuilder& File(const std::string& name, const std::string& content, uint8_t flags = 0,
                         uint32_t time = 1000000000)
    {
        WriteArchiveEntry(stream_, {kEntryFile, flags, time, time, uint32_t(content.size())}, name.c_str());
        return Raw(content);
    }
    ArchiveBuilder& Folder(const std::string& name, uint8_t flags = 0, uint32_t time = 1000000000)
    {
        WriteArchiveEntry(stream_, {kEntryFolder, flags, time, time, 0}, name.c_str());
        return *this;
    }
    ArchiveBuilder& Entry(uint8_t type, const std::string& name, uint8_t flags = 0)
    {
        WriteArchiveEntry(stream_, {type, flags, 0, 0, 0}, name.c_str());
        return *this;
    }
    ArchiveBuilder& Raw(const std::string& bytes)
    {
        stream_.Write(bytes.data(), uint32_t(bytes.size()));
        return *this;
    }
    // The archive so far, with no end entry; End adds it.
    std::vector<uint8_t> Bytes() { return {stream_.GetBuffer(), stream_.GetBuffer() + stream_.GetSize()}; }
    std::vector<uint8_t> End() { return Raw(std::string(1, char(kEntryEnd))).Bytes(); }

private:
    MemoryStream stream_;
};

// A package whose body is the archive as it is (archive size = compressed
// size) followed by trailing bytes "T", or the archive LZMA-encoded as the
// package tool does it (EncodeLzma); either signed with the test key, whose
// signature block adds kSignatureBlockSize trailing bytes.
std::vector<uint8_t> StoredPackage(const std::vector<uint8_t>& archive, uint32_t number = 1,
                                   uint8_t flags = 0, uint32_t trailing = 0);
std::vector<uint8_t> CompressedPackage(const std::vector<uint8_t>& archive, uint32_t number = 1,
                                       uint8_t flags = 0, bool endMarker = true);
std::vector<uint8_t> EncodeLzma(const std::vector<uint8_t>& data, bool endMarker);
// The test key's 32-byte seed: the build's development key, which the
// installer and the tests of a default build trust (a fixed key where the
// build made none).
const uint8_t* TestSigningSeed();
inline std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// A web server's answer to a request for the file from offset on: "200 OK"
// for offset 0, otherwise "206" with the Content-Range of the rest; the body
// sized by Content-Length, or sent in chunks of 1 to 9000 bytes chosen by the
// seed, where chunkEnds receives the answer's offsets at which a chunk's data
// ends.
std::string SizedAnswer(const std::string& file, size_t offset);
std::string ChunkedAnswer(const std::string& file, size_t offset, uint32_t seed,
                          std::vector<size_t>* chunkEnds);

// Records status texts ("status <text>") and progress ("<done>/<total>
// <flag>") in order.
class ProgressRecorder : public ProgressSink {
public:
    void Show() override {}
    void GetTitle(char*) override {}
    void SetTitle(const char*) override {}
    void GetStatusText(char*) override {}
    void SetStatusText(const char* text, int32_t) override { calls.push_back(std::string("status ") + text); }
    void SetProgress(uint32_t done, uint32_t total, int32_t flag) override
    {
        calls.push_back(std::to_string(done) + "/" + std::to_string(total) + " " + std::to_string(flag));
    }
    void Update() override {}

    std::vector<std::string> calls;
};

}  // namespace testing_package
