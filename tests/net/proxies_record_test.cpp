#include "tests/support/gtest.h"

#include "net/proxies_record.h"

#include "net/proxy_settings.h"
#include "base/error_code.h"
#include "base/memory_stream.h"

#include <string>
#include <vector>

namespace {

std::string B(std::initializer_list<int> values)
{
    std::string bytes;
    for (int value : values)
        bytes.push_back(static_cast<char>(value));
    return bytes;
}

// A record with every field set, laid out field by field.
const std::string kRecord = std::string("QVqv")      // first magic
                            + "Prox"                 // second magic
                            + B({0, 0, 0, 1})        // version 1
                            + B({1})                 // HTTP proxy enabled
                            + B({5}) + "proxy"       // HTTP host
                            + B({0x0C, 0x38})        // HTTP port 3128
                            + B({4}) + "user"        // HTTP user
                            + B({6}) + "secret"      // HTTP password
                            + B({0})                 // SOCKS proxy disabled
                            + B({5})                 // SOCKS version 5
                            + B({5}) + "socks"       // SOCKS host
                            + B({0x04, 0x38})        // SOCKS port 1080
                            + B({2}) + "su"          // SOCKS user
                            + B({0});                // SOCKS password, empty

void FillSettings(ProxySettings& settings)
{
    settings.Reset();
    settings.SetHttpEnabled(true);
    settings.SetHttpHost("proxy");
    settings.SetHttpPort(3128);
    settings.SetHttpUser("user");
    settings.SetHttpPassword("secret");
    settings.SetSocksEnabled(false);
    settings.SetSocksVersion(5);
    settings.SetSocksHost("socks");
    settings.SetSocksPort(1080);
    settings.SetSocksUser("su");
    settings.SetSocksPassword("");
}

void ReadRecord(const std::string& bytes, ProxySettings& settings)
{
    std::string copy = bytes;
    MemoryStream stream;
    stream.Attach(reinterpret_cast<uint8_t*>(&copy[0]), static_cast<uint32_t>(copy.size()));
    ProxiesRecord::Read(stream, settings);
}

}  // namespace

TEST(ProxiesRecord, WritesTheFieldsInRecordOrder)
{
    ProxySettings settings;
    FillSettings(settings);
    MemoryStream stream;
    ProxiesRecord::Write(stream, settings);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(stream.GetBuffer()), stream.GetSize()), kRecord);
}

TEST(ProxiesRecord, RefusesEveryMalformedRecord)
{
    struct Case {
        std::string name;
        std::string bytes;
    };
    std::vector<Case> cases = {
        {"first magic in other case", "QVQV" + kRecord.substr(4)},
        {"second magic in other case", kRecord.substr(0, 4) + "PROX" + kRecord.substr(8)},
        {"version 2", kRecord.substr(0, 8) + B({0, 0, 0, 2}) + kRecord.substr(12)},
        {"version 0", kRecord.substr(0, 8) + B({0, 0, 0, 0}) + kRecord.substr(12)},
        {"HTTP user of 64 characters",
         kRecord.substr(0, 21) + B({64}) + std::string(64, 'u') + kRecord.substr(26)},
    };
    // Bytes after the record are not read; any record cut short fails.
    ProxySettings trailing;
    ReadRecord(kRecord + "trailing", trailing);
    EXPECT_STREQ(trailing.SocksUser(), "su");
    for (size_t length = 0; length < kRecord.size(); ++length)
        cases.push_back({"cut after " + std::to_string(length) + " bytes", kRecord.substr(0, length)});
    for (const Case& c : cases) {
        ProxySettings settings;
        try {
            ReadRecord(c.bytes, settings);
            ADD_FAILURE() << c.name << ": accepted";
        } catch (ErrorCode code) {
            EXPECT_EQ(code, kErrorMalformed) << c.name;
        }
    }
}
