// The package file and the archive inside it, declared once: the 16-byte
// package header, the archive's header values and its entries, with their
// readers (used by the installer) and writers (used by the package tool).
// All integers are big-endian. Plain functions; any thread.
#pragma once

#include <cstdint>

class DataStream;

// Package header: version u8, flags u8, package number u16, archive size
// u32, compressed size u32, trailing size u32. The body that follows holds
// the stored archive (compressed size bytes) and then the trailing bytes.
const uint32_t kPackageHeaderSize = 16;
const uint8_t kPackageFormatVersion = 1;
// Flags bit 0: the body is scrambled; the installer cannot descramble it.
const uint8_t kPackageFlagScrambled = 0x01;

struct PackageHeader {
    uint8_t flags;
    uint16_t packageNumber;
    uint32_t archiveSize;
    uint32_t compressedSize;
    uint32_t trailingSize;
};

// Checks and decodes the 16 header bytes. Throws -3 when the version is not
// 1, the package number differs from the expected one, the archive size is 0
// or the compressed size is 0, checked in that order.
void ParsePackageHeader(const uint8_t* bytes, uint32_t expectedNumber, PackageHeader* header);
// Encodes a header with version 1 into 16 bytes.
void EncodePackageHeader(const PackageHeader& header, uint8_t* bytes);

// Archive entries: a type byte, then by type:
//   end (0): nothing; the archive ends.
//   file (1): flags u8, name, modification time u32, creation time u32,
//             data size u32, content.
//   folder (2): flags u8, name, modification time u32, creation time u32.
//   delete (3): flags u8, name.
//   others: flags u8, name, and nothing else.
// A name is NUL-terminated, at most 2047 bytes before its NUL, relative to
// the installation folder with backslashes. Times are Unix seconds as a
// signed 32-bit number.
enum ArchiveEntryType : uint8_t {
    kEntryEnd = 0,
    kEntryFile = 1,
    kEntryFolder = 2,
    kEntryDelete = 3,
};
// Flags bit 0: the program entry, handed over after extraction.
const uint8_t kEntryFlagProgram = 0x01;
// Flags bit 3 on a folder: delete the folder and its contents first.
const uint8_t kEntryFlagReplaceFolder = 0x08;
// Bytes a name may take with its NUL.
const uint32_t kEntryNameCapacity = 2048;

struct ArchiveEntry {
    uint8_t type;
    uint8_t flags;
    uint32_t modificationTime;
    uint32_t creationTime;
    // File entries: the content's length; it follows at the stream's
    // position when ReadArchiveEntry returns.
    uint32_t dataSize;
};

// Reads the two header values that precede the first entry. Throws -3.
void ReadArchiveHeader(DataStream& stream, uint32_t* headerValueA, uint32_t* headerValueB);
// Reads one entry up to its content (file entries) into entry, and its name
// into name (capacity bytes, at most 2048 used). A name that does not fit,
// or any field past the end, throws -3. For the end entry only the type is
// read.
void ReadArchiveEntry(DataStream& stream, ArchiveEntry* entry, char* name, uint32_t capacity);

void WriteArchiveHeader(DataStream& stream, uint32_t headerValueA, uint32_t headerValueB);
// Writes an entry's type, flags, name and the fields of its type; for a file
// the caller writes dataSize bytes of content after it. Throws -3 for a name
// of 2048 bytes or more.
void WriteArchiveEntry(DataStream& stream, const ArchiveEntry& entry, const char* name);
// Bytes that WriteArchiveEntry writes for an entry with a name of this length
// (content not included).
uint32_t ArchiveEntryLength(uint8_t type, uint32_t nameLength);
