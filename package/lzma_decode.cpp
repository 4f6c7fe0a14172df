#include "package/lzma_decode.h"

#include "package/lzma_host.h"

#include <cstdlib>

namespace {

// Owns the decoder state and the options that lzma_properties_decode made.
class LzmaDecoder {
public:
    LzmaDecoder() : stream(LZMA_STREAM_INIT), options(nullptr) {}
    ~LzmaDecoder()
    {
        lzma_end(&stream);
        std::free(options);
    }
    LzmaDecoder(const LzmaDecoder&) = delete;
    LzmaDecoder& operator=(const LzmaDecoder&) = delete;

    bool Start(const uint8_t* properties)
    {
        lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
        if (lzma_properties_decode(&filters[0], nullptr, properties, kLzmaPropertiesSize) != LZMA_OK)
            return false;
        options = filters[0].options;
        return lzma_raw_decoder(&stream, filters) == LZMA_OK;
    }

    lzma_stream stream;

private:
    void* options;
};

}  // namespace

bool DecompressLzma(const uint8_t* source, uint32_t sourceLength, uint8_t* destination,
                    uint32_t destinationLength)
{
    if (sourceLength < kLzmaPropertiesSize)
        return false;
    LzmaDecoder decoder;
    if (!decoder.Start(source))
        return false;
    lzma_stream& stream = decoder.stream;
    stream.next_in = source + kLzmaPropertiesSize;
    stream.avail_in = sourceLength - kLzmaPropertiesSize;
    stream.next_out = destination;
    stream.avail_out = destinationLength;
    lzma_ret result = lzma_code(&stream, LZMA_RUN);
    if (result == LZMA_OK && stream.avail_out == 0 && stream.avail_in > 0) {
        // The decoder stops when the destination is full, before it has seen
        // an end marker that may follow. Offer it one spare byte: a stream
        // that ends here consumes the marker and writes nothing into it.
        uint8_t spare;
        stream.next_out = &spare;
        stream.avail_out = 1;
        result = lzma_code(&stream, LZMA_RUN);
        if (stream.avail_out == 0)
            return false;
    }
    if (result != LZMA_OK && result != LZMA_STREAM_END)
        return false;
    return stream.avail_in == 0 && stream.total_out == destinationLength;
}
