// Test helpers for the package tests: a scratch folder under the test's own
// QV_TEST_ROOT (as a Windows path), files in it, archives built field by
// field with the format's own writers, and packages around them.
#pragma once

#include "package/lzma_host.h"
#include "base/memory_stream.h"
#include "package/package_format.h"
#include "base/progress_sink.h"

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>
#include <windows.h>

namespace testing_package {

// "Z:\\...\\name\\" under QV_TEST_ROOT, created with every level of name.
inline std::string ScratchFolder(const std::string& name)
{
    const char* root = std::getenv("QV_TEST_ROOT");
    std::string path = std::string("Z:") + (root ? root : "/tmp") + "/" + name;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
    return path + "\\";
}

inline bool WriteFileText(const std::string& path, const std::string& content)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, content.data(), DWORD(content.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == content.size();
}

inline std::string ReadFileText(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "(missing)";
    std::string content;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        content.append(chunk, got);
    CloseHandle(file);
    return content;
}

inline bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Names in a folder, "." and ".." left out.
inline std::vector<std::string> ListNames(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = data.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

// Unix seconds of a file's or folder's last-write time.
inline int64_t ModificationTime(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return INT64_MIN;
    FILETIME written;
    BOOL ok = GetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    if (!ok)
        return INT64_MIN;
    int64_t intervals = int64_t((uint64_t(written.dwHighDateTime) << 32) | written.dwLowDateTime);
    int64_t since1970 = intervals - 116444736000000000LL;
    return since1970 >= 0 ? since1970 / 10000000 : -((-since1970 + 9999999) / 10000000);
}

// An archive built entry by entry.
class ArchiveBuilder {
public:
    ArchiveBuilder() { WriteArchiveHeader(stream_, 0x11111111, 0x22222222); }
    ArchiveBuilder& File(const std::string& name, const std::string& content, uint8_t flags = 0,
                         uint32_t time = 1000000000)
    {
        ArchiveEntry entry = {kEntryFile, flags, time, time, uint32_t(content.size())};
        WriteArchiveEntry(stream_, entry, name.c_str());
        stream_.Write(content.data(), uint32_t(content.size()));
        return *this;
    }
    ArchiveBuilder& Folder(const std::string& name, uint8_t flags = 0, uint32_t time = 1000000000)
    {
        ArchiveEntry entry = {kEntryFolder, flags, time, time, 0};
        WriteArchiveEntry(stream_, entry, name.c_str());
        return *this;
    }
    ArchiveBuilder& Entry(uint8_t type, const std::string& name, uint8_t flags = 0)
    {
        ArchiveEntry entry = {type, flags, 0, 0, 0};
        WriteArchiveEntry(stream_, entry, name.c_str());
        return *this;
    }
    std::vector<uint8_t> End()
    {
        stream_.WriteU8(kEntryEnd);
        return Bytes();
    }
    std::vector<uint8_t> Bytes() { return std::vector<uint8_t>(stream_.GetBuffer(), stream_.GetBuffer() + stream_.GetSize()); }

private:
    MemoryStream stream_;
};

// A stored package (archive size = compressed size) around an archive.
inline std::vector<uint8_t> StoredPackage(const std::vector<uint8_t>& archive, uint32_t number = 1,
                                          uint8_t flags = 0)
{
    PackageHeader header = {flags, uint16_t(number), uint32_t(archive.size()), uint32_t(archive.size()), 0};
    std::vector<uint8_t> package(kPackageHeaderSize);
    EncodePackageHeader(header, package.data());
    package.insert(package.end(), archive.begin(), archive.end());
    return package;
}

// Properties 5D 00 00 00 02 and the raw LZMA1 stream, with or without the
// end marker, as the package tool writes them.
inline std::vector<uint8_t> EncodeLzma(const std::vector<uint8_t>& data, bool endMarker)
{
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 6);
    options.dict_size = 32u << 20;
    options.ext_flags = 0;
    options.ext_size_low = 0;
    options.ext_size_high = 0;
    lzma_filter filters[2] = {{endMarker ? LZMA_FILTER_LZMA1 : LZMA_FILTER_LZMA1EXT, &options},
                              {LZMA_VLI_UNKNOWN, nullptr}};
    std::vector<uint8_t> out(5 + data.size() * 2 + 1024);
    lzma_properties_encode(&filters[0], out.data());
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_raw_encoder(&stream, filters) != LZMA_OK)
        return std::vector<uint8_t>();
    stream.next_in = data.data();
    stream.avail_in = data.size();
    stream.next_out = out.data() + 5;
    stream.avail_out = out.size() - 5;
    lzma_ret result = lzma_code(&stream, LZMA_FINISH);
    out.resize(5 + stream.total_out);
    lzma_end(&stream);
    return result == LZMA_STREAM_END ? out : std::vector<uint8_t>();
}

// A package with an LZMA body around an archive.
inline std::vector<uint8_t> CompressedPackage(const std::vector<uint8_t>& archive, uint32_t number = 1,
                                              uint8_t flags = 0, bool endMarker = true)
{
    std::vector<uint8_t> body = EncodeLzma(archive, endMarker);
    PackageHeader header = {flags, uint16_t(number), uint32_t(archive.size()), uint32_t(body.size()), 0};
    std::vector<uint8_t> package(kPackageHeaderSize);
    EncodePackageHeader(header, package.data());
    package.insert(package.end(), body.begin(), body.end());
    return package;
}

// Records status texts ("status <text> <flag>") and progress ("<done>/<total>
// <flag>") in order; throws a failure that is no ErrorCode when told to.
class ProgressRecorder : public ProgressSink {
public:
    void Show() override {}
    void GetTitle(char*) override {}
    void SetTitle(const char*) override {}
    void GetStatusText(char*) override {}
    void SetStatusText(const char* text, int32_t flag) override
    {
        if (throwOnStatus)
            throw std::runtime_error("status");
        calls.push_back("status " + std::string(text) + " " + std::to_string(flag));
    }
    void SetProgress(uint32_t done, uint32_t total, int32_t flag) override
    {
        if (throwOnLaterProgress && flag == 1)
            throw std::runtime_error("progress");
        calls.push_back(std::to_string(done) + "/" + std::to_string(total) + " " + std::to_string(flag));
    }
    void Update() override {}
    std::vector<std::string> calls;
    bool throwOnStatus = false;
    bool throwOnLaterProgress = false;
};

}  // namespace testing_package
