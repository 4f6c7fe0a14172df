#include "tools/pack/lzma_encode.h"

#include "package/lzma_decode.h"
#include "package/lzma_host.h"

#include <cstring>

namespace {

const uint8_t kPackageProperties[kLzmaPropertiesSize] = {0x5D, 0x00, 0x00, 0x00, 0x02};

class LzmaEncoder {
public:
    LzmaEncoder() : stream(LZMA_STREAM_INIT) {}
    ~LzmaEncoder() { lzma_end(&stream); }
    LzmaEncoder(const LzmaEncoder&) = delete;
    LzmaEncoder& operator=(const LzmaEncoder&) = delete;

    lzma_stream stream;
};

bool Encode(lzma_stream& stream, const uint8_t* data, uint32_t length, std::vector<uint8_t>* output)
{
    stream.next_in = data;
    stream.avail_in = length;
    size_t written = output->size();
    output->resize(written + length / 2 + 65536);
    for (;;) {
        stream.next_out = output->data() + written;
        stream.avail_out = output->size() - written;
        lzma_ret result = lzma_code(&stream, LZMA_FINISH);
        written = output->size() - stream.avail_out;
        if (result == LZMA_STREAM_END)
            break;
        if (result != LZMA_OK)
            return false;
        output->resize(output->size() * 2);
    }
    output->resize(written);
    return true;
}

}  // namespace

bool CompressLzma(const uint8_t* data, uint32_t length, uint32_t level, bool endMarker,
                  std::vector<uint8_t>* output)
{
    lzma_options_lzma options;
    if (lzma_lzma_preset(&options, level > 9 ? 9 : level))
        return false;
    options.dict_size = 32u << 20;
    options.lc = 3;
    options.lp = 0;
    options.pb = 2;
    // The extended filter writes a stream without the end marker; the
    // plain one always ends with it.
    options.ext_flags = 0;
    options.ext_size_low = UINT32_MAX;
    options.ext_size_high = UINT32_MAX;
    lzma_filter filters[2] = {{endMarker ? LZMA_FILTER_LZMA1 : LZMA_FILTER_LZMA1EXT, &options},
                              {LZMA_VLI_UNKNOWN, nullptr}};
    uint8_t properties[kLzmaPropertiesSize] = {};
    if (lzma_properties_encode(&filters[0], properties) != LZMA_OK ||
        std::memcmp(properties, kPackageProperties, sizeof properties) != 0)
        return false;
    LzmaEncoder encoder;
    if (lzma_raw_encoder(&encoder.stream, filters) != LZMA_OK)
        return false;
    output->assign(properties, properties + sizeof properties);
    return Encode(encoder.stream, data, length, output);
}
