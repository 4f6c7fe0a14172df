#include "base/file_stream.h"

#include "base/error_code.h"
#include "base/stdio_bridge.h"

FileStream::FileStream() : file(nullptr) {}

FileStream::FileStream(const char* path, const char* mode) : file(nullptr) { Open(path, mode); }

FileStream::~FileStream() { Close(); }

void FileStream::Open(const char* path, const char* mode)
{
    FILE* opened = OpenStdioFile(path, mode);
    if (!opened)
        throw kErrorMalformed;
    long length = 0;
    if (std::fseek(opened, 0, SEEK_END) == 0)
        length = std::ftell(opened);
    if (length < 0)
        length = 0;
    // long is 32 bits in Windows programs, where long(UINT32_MAX) is -1 and
    // would refuse every file: the bound is compared in 64 bits.
    if (uint64_t(length) > UINT32_MAX || std::fseek(opened, 0, SEEK_SET) != 0) {
        std::fclose(opened);
        throw kErrorMalformed;
    }
    Close();
    file = opened;
    size = uint32_t(length);
    position = 0;
}

void FileStream::Close()
{
    if (!file)
        return;
    std::fclose(file);
    file = nullptr;
    size = 0;
    position = 0;
}

void FileStream::WriteRaw(const uint8_t* bytes, uint32_t count)
{
    if (!file || std::fwrite(bytes, count, 1, file) == 0)
        throw kErrorMalformed;
    position += count;
}

void FileStream::ReadRaw(uint8_t* bytes, uint32_t count)
{
    if (!file || std::fread(bytes, count, 1, file) == 0)
        throw kErrorMalformed;
    position += count;
}

void FileStream::SeekRaw(uint32_t offset)
{
    if (!file || std::fseek(file, long(offset), SEEK_SET) != 0)
        throw kErrorMalformed;
    position = offset;
}
