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

    // The properties give lc, lp, pb and the dictionary. The decoder is told
    // the archive size as well, so that it stops there and accepts an end
    // marker right after it, or none.
    bool Start(const uint8_t* properties, uint32_t archiveSize)
    {
        lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
        if (lzma_properties_decode(&filters[0], nullptr, properties, kLzmaPropertiesSize) != LZMA_OK)
            return false;
        options = filters[0].options;
        lzma_options_lzma* lzma = static_cast<lzma_options_lzma*>(options);
        // No match reaches back past the first byte of the output, so a
        // dictionary as large as the archive decodes any valid stream: a
        // small archive does not pay for the large dictionary it was
        // packed with.
        if (lzma->dict_size > archiveSize)
            lzma->dict_size = archiveSize < LZMA_DICT_SIZE_MIN ? LZMA_DICT_SIZE_MIN : archiveSize;
        lzma->ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
        lzma->ext_size_low = archiveSize;
        lzma->ext_size_high = 0;
        filters[0].id = LZMA_FILTER_LZMA1EXT;
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
    if (!decoder.Start(source, destinationLength))
        return false;
    lzma_stream& stream = decoder.stream;
    stream.next_in = source + kLzmaPropertiesSize;
    stream.avail_in = sourceLength - kLzmaPropertiesSize;
    stream.next_out = destination;
    stream.avail_out = destinationLength;
    lzma_ret result = lzma_code(&stream, LZMA_FINISH);
    return result == LZMA_STREAM_END && stream.avail_in == 0 && stream.total_out == destinationLength;
}
