// Archives and stored packages written with the format's own writers, the
// files of tests/data, and a ProgressSink that records what a job reports.
// Shared by the tests of every area and by the fuzz targets' seeds. One
// thread.
#pragma once

#include "base/memory_stream.h"
#include "base/progress_sink.h"
#include "package/package_format.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace testing_package {

// An archive built entry by entry after the header values 0x11111111 and
// 0x22222222; Entry writes a type, flags and name only.
class ArchiveBuilder {
public:
    ArchiveBuilder() { WriteArchiveHeader(stream_, 0x11111111, 0x22222222); }
    ArchiveBuilder& File(const std::string& name, const std::string& content, uint8_t flags = 0,
                         uint32_t time = 1000000000)
    {
        WriteArchiveEntry(stream_, {kEntryFile, flags, time, time, uint32_t(content.size())}, name.c_str());
        stream_.Write(content.data(), uint32_t(content.size()));
        return *this;
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
    // The archive so far, with no end entry; End adds it.
    std::vector<uint8_t> Bytes() { return {stream_.GetBuffer(), stream_.GetBuffer() + stream_.GetSize()}; }
    std::vector<uint8_t> End() { return stream_.WriteU8(kEntryEnd), Bytes(); }

private:
    MemoryStream stream_;
};

// A package whose body is the archive as it is (archive size = compressed
// size) followed by trailing bytes "T", or the archive LZMA-encoded as the
// package tool does it; either signed with the product's development key
// (which the installer under test trusts; a fixed key where the build made
// none), whose signature block adds kSignatureBlockSize trailing bytes.
std::vector<uint8_t> StoredPackage(const std::vector<uint8_t>& archive, uint32_t number = 1,
                                   uint8_t flags = 0, uint32_t trailing = 0);
std::vector<uint8_t> CompressedPackage(const std::vector<uint8_t>& archive, uint32_t number = 1,
                                       uint8_t flags = 0, bool endMarker = true);
// A web server's answer to a request for the file from offset on: "200 OK"
// for offset 0, otherwise "206" with the Content-Range of the rest, the body
// sized by Content-Length.
std::string SizedAnswer(const std::string& file, size_t offset);
// The download state file's Windows path ("" where it has none).
std::string DownloadStatePath();
inline std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }
// The bytes of a file of tests/data (empty when it cannot be read), and the
// bytes that a value of a case there stands for: text with the escapes \r,
// \n, \0, \\ and \xHH, \[HH HH ...] for bytes (blanks ignored), \{N:text} for
// N times the text, {N*c} for N times the character c, and {NAME a:b} for
// bytes a up to b of the file NAME (either bound may be left out). Malformed
// notation throws std::invalid_argument or std::out_of_range.
std::string DataFile(const std::string& name);
std::string DataBytes(const std::string& text);

// Records status texts ("status <text>") and progress ("<done>/<total>
// <flag>") in order; from the call numbered failAt (from 1) on, calls throw
// std::runtime_error, which is no ErrorCode, instead.
class ProgressRecorder : public ProgressSink {
public:
    void Show() override {}
    void GetTitle(char*) override {}
    void SetTitle(const char*) override {}
    void GetStatusText(char*) override {}
    void SetStatusText(const char* text, int32_t) override { Record(std::string("status ") + text); }
    void SetProgress(uint32_t done, uint32_t total, int32_t flag) override
    {
        Record(std::to_string(done) + "/" + std::to_string(total) + " " + std::to_string(flag));
    }
    void Update() override {}

    std::vector<std::string> calls;
    size_t failAt = 0;

private:
    void Record(const std::string& call)
    {
        if (calls.size() + 1 == failAt)
            throw std::runtime_error("not an ErrorCode");
        calls.push_back(call);
    }
};

}  // namespace testing_package
