#include "tests/support/gtest.h"

#include "net/proxies_record.h"

#include "base/error_code.h"
#include "base/memory_stream.h"
#include "net/proxy_settings.h"
#include "tests/support/test_env.h"

#include <string>
#include <vector>

namespace {

std::string B(std::initializer_list<int> values)
{
    return std::string(values.begin(), values.end());
}

// A record with every field set, laid out field by field.
const std::string kRecord = std::string("QVqv")  // first magic
                            + "Prox"             // second magic
                            + B({0, 0, 0, 1})    // version 1
                            + B({1})             // HTTP proxy enabled
                            + B({5}) + "proxy"   // HTTP host
                            + B({0x0C, 0x38})    // HTTP port 3128
                            + B({4}) + "user"    // HTTP user
                            + B({6}) + "secret"  // HTTP password
                            + B({0})             // SOCKS proxy disabled
                            + B({5})             // SOCKS version 5
                            + B({5}) + "socks"   // SOCKS host
                            + B({0x04, 0x38})    // SOCKS port 1080
                            + B({2}) + "su"      // SOCKS user
                            + B({0});            // SOCKS password, empty

std::string Written(const ProxySettings& settings)
{
    MemoryStream stream;
    ProxiesRecord::Write(stream, settings);
    return std::string(reinterpret_cast<char*>(stream.GetBuffer()), stream.GetSize());
}

ErrorCode ReadRecord(std::string bytes, ProxySettings& settings)
{
    MemoryStream stream;
    stream.Attach(reinterpret_cast<uint8_t*>(&bytes[0]), static_cast<uint32_t>(bytes.size()));
    return ThrownCode([&] { ProxiesRecord::Read(stream, settings); });
}

}  // namespace

TEST(ProxiesRecord, ReadsAndWritesTheFieldsInRecordOrder)
{
    ProxySettings settings;
    ASSERT_EQ(ReadRecord(kRecord + "bytes after the record are not read", settings), 0);
    EXPECT_STREQ(settings.SocksUser(), "su");
    EXPECT_EQ(Written(settings), kRecord);
}

TEST(ProxiesRecord, RefusesEveryMalformedRecord)
{
    std::vector<std::string> cases = {
        "QVQV" + kRecord.substr(4),                                   // first magic, other case
        kRecord.substr(0, 4) + "PROX" + kRecord.substr(8),            // second magic, other case
        kRecord.substr(0, 8) + B({0, 0, 0, 2}) + kRecord.substr(12),  // version 2
        kRecord.substr(0, 8) + B({0, 0, 0, 0}) + kRecord.substr(12),  // version 0
        kRecord.substr(0, 21) + B({64}) + std::string(64, 'u') + kRecord.substr(26),  // HTTP user of 64
    };
    for (size_t length = 0; length < kRecord.size(); ++length) cases.push_back(kRecord.substr(0, length));
    for (size_t i = 0; i < cases.size(); ++i) {
        ProxySettings settings;
        EXPECT_EQ(ReadRecord(cases[i], settings), kErrorMalformed)
            << "case " << i << ", " << cases[i].size() << " bytes";
    }
}
