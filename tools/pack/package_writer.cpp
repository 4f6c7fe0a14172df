#include "tools/pack/package_writer.h"

#include "base/error_code.h"
#include "base/file_stream.h"
#include "base/memory_stream.h"
#include "package/package_format.h"
#include "tools/pack/lzma_encode.h"

#include <cstdio>

namespace {

bool MeasureArchive(const std::vector<SourceEntry>& entries, uint32_t* length, std::string* error)
{
    uint64_t total = 8 + ArchiveEntryLength(kEntryEnd, 0);
    for (const SourceEntry& entry : entries)
        total += ArchiveEntryLength(entry.type, uint32_t(entry.name.size())) + uint64_t(entry.dataSize);
    if (total > UINT32_MAX) {
        *error = "the archive would be 4 GiB or larger";
        return false;
    }
    *length = uint32_t(total);
    return true;
}

void WriteEntry(MemoryStream& archive, const SourceEntry& source)
{
    ArchiveEntry entry = {source.type, source.flags, source.modificationTime, source.creationTime,
                          source.dataSize};
    WriteArchiveEntry(archive, entry, source.name.c_str());
    if (source.type != kEntryFile)
        return;
    FileStream file(source.path.c_str(), "rb");
    // A file that changed size since the folder was read would shift every
    // entry behind it.
    if (file.GetSize() != source.dataSize)
        throw kErrorMalformed;
    archive.CopyFrom(file, source.dataSize);
}

bool BuildArchive(const std::vector<SourceEntry>& entries, std::vector<uint8_t>* bytes, std::string* error)
{
    uint32_t length;
    if (!MeasureArchive(entries, &length, error))
        return false;
    bytes->resize(length);
    MemoryStream archive;
    archive.Attach(bytes->data(), length);
    const SourceEntry* current = nullptr;
    try {
        WriteArchiveHeader(archive, 0, 0);
        for (const SourceEntry& entry : entries) {
            current = &entry;
            WriteEntry(archive, entry);
        }
        current = nullptr;
        WriteArchiveEntry(archive, ArchiveEntry{kEntryEnd, 0, 0, 0, 0}, "");
    } catch (ErrorCode) {
        *error = current ? "cannot read " + current->path : std::string("cannot build the archive");
        return false;
    }
    return true;
}

std::vector<uint8_t> TrailingBytes(uint32_t count)
{
    std::vector<uint8_t> bytes(count);
    for (uint32_t i = 0; i < count; ++i) bytes[i] = uint8_t(i * 31 + 7);
    return bytes;
}

bool WriteFile(const std::string& path, const uint8_t* header, const std::vector<uint8_t>& body,
               const std::vector<uint8_t>& trailing)
{
    try {
        FileStream file(path.c_str(), "wb");
        file.Write(header, kPackageHeaderSize);
        file.Write(body.data(), uint32_t(body.size()));
        file.Write(trailing.data(), uint32_t(trailing.size()));
        file.Close();
    } catch (ErrorCode) {
        return false;
    }
    return true;
}

}  // namespace

bool WritePackage(const std::vector<SourceEntry>& entries, const PackSettings& settings,
                  const std::string& packagePath, std::string* report, std::string* error)
{
    std::vector<uint8_t> archive;
    if (!BuildArchive(entries, &archive, error))
        return false;
    std::vector<uint8_t> body;
    bool compressed = settings.compress;
    if (compressed) {
        if (!CompressLzma(archive.data(), uint32_t(archive.size()), settings.level, settings.endMarker,
                          &body)) {
            *error = "LZMA compression failed";
            return false;
        }
        compressed = body.size() != archive.size();
    }
    if (!compressed)
        body.swap(archive);
    if (uint64_t(body.size()) + settings.trailingSize > UINT32_MAX - kPackageHeaderSize) {
        *error = "the package would be 4 GiB or larger";
        return false;
    }
    PackageHeader header = {settings.headerFlags, uint16_t(settings.packageNumber),
                            uint32_t(compressed ? archive.size() : body.size()), uint32_t(body.size()),
                            settings.trailingSize};
    uint8_t headerBytes[kPackageHeaderSize];
    EncodePackageHeader(header, headerBytes);
    if (!WriteFile(packagePath, headerBytes, body, TrailingBytes(settings.trailingSize))) {
        *error = "cannot write " + packagePath;
        return false;
    }
    char line[200];
    std::snprintf(line, sizeof line, "%u entries, archive %u bytes, %s body %u bytes, %u trailing bytes",
                  unsigned(entries.size()), header.archiveSize, compressed ? "LZMA" : "stored",
                  header.compressedSize, header.trailingSize);
    *report = line;
    return true;
}
