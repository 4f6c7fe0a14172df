// A DataStream over a file opened by Windows path through the C library.
#pragma once

#include "base/data_stream.h"

#include <cstdio>

class FileStream : public DataStream {
public:
    FileStream();
    // Opens at once; a failure to open throws -3 from the constructor.
    FileStream(const char* path, const char* mode);
    ~FileStream() override;

    // Opens the path with a C library mode ("rb", "wb"). On success any
    // file open before is closed, the size is the file's length and the
    // position 0. On failure (-3) the stream stays as it was. Files of
    // 4 GiB or more cannot be measured in 32 bits and are refused.
    void Open(const char* path, const char* mode);
    // Closes the file (if any); size and position become 0.
    void Close();
    bool IsOpen() const { return file != nullptr; }

    void WriteRaw(const uint8_t* bytes, uint32_t count) override;
    void ReadRaw(uint8_t* bytes, uint32_t count) override;
    void SeekRaw(uint32_t offset) override;

private:
    FILE* file;
};
