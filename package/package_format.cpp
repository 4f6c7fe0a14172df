#include "package/package_format.h"

#include "base/byte_order.h"
#include "base/data_stream.h"
#include "base/error_code.h"

#include <cstring>

namespace {

bool HasTimes(uint8_t type) { return type == kEntryFile || type == kEntryFolder; }

}  // namespace

void ParsePackageHeader(const uint8_t* bytes, uint32_t expectedNumber, PackageHeader* header)
{
    if (bytes[0] != kPackageFormatVersion)
        throw kErrorMalformed;
    uint16_t number = uint16_t((bytes[2] << 8) | bytes[3]);
    if (number != expectedNumber)
        throw kErrorMalformed;
    uint32_t archiveSize = LoadBigEndian32(bytes + 4);
    if (archiveSize == 0)
        throw kErrorMalformed;
    uint32_t compressedSize = LoadBigEndian32(bytes + 8);
    if (compressedSize == 0)
        throw kErrorMalformed;
    header->flags = bytes[1];
    header->packageNumber = number;
    header->archiveSize = archiveSize;
    header->compressedSize = compressedSize;
    header->trailingSize = LoadBigEndian32(bytes + 12);
}

void EncodePackageHeader(const PackageHeader& header, uint8_t* bytes)
{
    bytes[0] = kPackageFormatVersion;
    bytes[1] = header.flags;
    bytes[2] = uint8_t(header.packageNumber >> 8);
    bytes[3] = uint8_t(header.packageNumber);
    StoreBigEndian32(bytes + 4, header.archiveSize);
    StoreBigEndian32(bytes + 8, header.compressedSize);
    StoreBigEndian32(bytes + 12, header.trailingSize);
}

void ReadArchiveHeader(DataStream& stream, uint32_t* headerValueA, uint32_t* headerValueB)
{
    *headerValueA = stream.ReadU32();
    *headerValueB = stream.ReadU32();
}

void ReadArchiveEntry(DataStream& stream, ArchiveEntry* entry, char* name, uint32_t capacity)
{
    entry->type = stream.ReadU8();
    entry->flags = 0;
    entry->modificationTime = 0;
    entry->creationTime = 0;
    entry->dataSize = 0;
    name[0] = '\0';
    if (entry->type == kEntryEnd)
        return;
    entry->flags = stream.ReadU8();
    stream.ReadCString(name, capacity < kEntryNameCapacity ? capacity : kEntryNameCapacity);
    if (HasTimes(entry->type)) {
        entry->modificationTime = stream.ReadU32();
        entry->creationTime = stream.ReadU32();
    }
    if (entry->type == kEntryFile)
        entry->dataSize = stream.ReadU32();
}

void WriteArchiveHeader(DataStream& stream, uint32_t headerValueA, uint32_t headerValueB)
{
    stream.WriteU32(headerValueA);
    stream.WriteU32(headerValueB);
}

void WriteArchiveEntry(DataStream& stream, const ArchiveEntry& entry, const char* name)
{
    size_t length = std::strlen(name);
    if (entry.type != kEntryEnd && length >= kEntryNameCapacity)
        throw kErrorMalformed;
    stream.WriteU8(entry.type);
    if (entry.type == kEntryEnd)
        return;
    stream.WriteU8(entry.flags);
    stream.Write(name, uint32_t(length + 1));
    if (HasTimes(entry.type)) {
        stream.WriteU32(entry.modificationTime);
        stream.WriteU32(entry.creationTime);
    }
    if (entry.type == kEntryFile)
        stream.WriteU32(entry.dataSize);
}

uint32_t ArchiveEntryLength(uint8_t type, uint32_t nameLength)
{
    if (type == kEntryEnd)
        return 1;
    uint32_t length = 2 + nameLength + 1;
    if (HasTimes(type))
        length += 8;
    if (type == kEntryFile)
        length += 4;
    return length;
}
