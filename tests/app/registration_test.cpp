#include "tests/support/gtest.h"

#include "app/registration.h"
#include "app/registry_keys.h"
#include "app/slow_info_cache.h"
#include "base/byte_order.h"
#include "tests/support/wine_probe.h"

#include <shlwapi.h>

// The values derived from the path, each a REG_SZ with its NUL counted; a
// path that does not fit registers neither its folder nor its command.
TEST(RegisterInstallation, QuotesTheUninstallPathOnlyWhenItHoldsABlank)
{
    // 258 characters with a blank: too long for the shell's quoting.
    const std::string longFolder = "C:\\a b\\" + std::string(236, 'x'),
                      tooLong = "C:\\" + std::string(257, 'y');
    const struct {
        std::string path, uninstall, location;
    } cases[] = {
        {"C:\\Quorvalent\\Quorvalent.exe", "C:\\Quorvalent\\Quorvalent.exe /uninstall", "C:\\Quorvalent"},
        {"C:\\Program Files\\Q\\Q.exe", "\"C:\\Program Files\\Q\\Q.exe\" /uninstall", "C:\\Program Files\\Q"},
        {longFolder + "\\Quorvalent.exe", "\"" + longFolder + "\\Quorvalent.exe\" /uninstall", longFolder},
        {tooLong, "", ""},
    };
    char today[32] = "";
    GetDateFormatA(LOCALE_SYSTEM_DEFAULT, 0, nullptr, "yyyyMMdd", today, sizeof today);
    for (const auto& c : cases) {
        SHDeleteKeyA(HKEY_CURRENT_USER, kUninstallKey);
        RegisterInstallation(c.path.c_str(), 1234567);
        const struct {
            const char *key, *name;
            std::string text;  // empty: absent
        } values[] = {
            {kUninstallKey, "UninstallString", c.uninstall}, {kUninstallKey, "InstallLocation", c.location},
            {kUninstallKey, "DisplayIcon", c.path},          {kUninstallKey, "InstallDate", today},
            {kProductKey, "ExecutablePath", c.path},
        };
        for (const auto& v : values) {
            RegistryValue value = ReadRegistryValue(v.key, v.name);
            EXPECT_TRUE(v.text.empty() ? !value.found : value.type == REG_SZ && value.data == v.text + '\0')
                << v.name << " of " << c.path << ": " << value.data;
        }
        RegistryValue size = ReadRegistryValue(kUninstallKey, "EstimatedSize");
        EXPECT_TRUE(size.type == REG_DWORD && size.Number() == 1234567u) << c.path;
    }
}

TEST(WriteEstimatedSize, NewRecordIsLaidOutAsTheSystemReadsItAndForeignOnesAreLeftAlone)
{
    FILETIME before;
    GetSystemTimeAsFileTime(&before);
    WriteEstimatedSize(0xFEDCBA98u);
    RegistryValue record = ReadRegistryValue(kArpCacheKey, "SlowInfoCache");
    ASSERT_TRUE(record.type == REG_BINARY && record.data.size() == 552u);
    EXPECT_EQ(record.data.substr(0, 16), std::string("\x28\x02\0\0"  // recordSize 552
                                                     "\x01\0\0\0"    // hasName
                                                     "\x98\xBA\xDC\xFE\0\0\0\0",
                                                     16));  // installedSize
    // lastUsed: the UTC time to the millisecond that GetSystemTime gives.
    uint64_t now = (uint64_t(before.dwHighDateTime) << 32 | before.dwLowDateTime) / 10000 * 10000;
    EXPECT_TRUE(LoadLittleEndian64(record.Bytes() + 16) - now < 600000000u);
    EXPECT_EQ(LoadLittleEndian32(record.Bytes() + 24), 3u);  // frequency
    std::string name("Q\0u\0o\0r\0v\0a\0l\0e\0n\0t\0", 20);
    EXPECT_EQ(record.data.substr(28), name + std::string(524 - 20, '\0')) << "programName";
    EXPECT_EQ(ReadRegistryValue(kArpCacheKey, "Changed").Number(), 0u);

    const struct {
        DWORD type;
        size_t size;
        bool ours;
    } cases[] = {{REG_BINARY, 552, true},
                 {REG_BINARY, 551, false},
                 {REG_BINARY, 600, false},
                 {REG_SZ, 552, false},
                 {REG_DWORD, 4, false}};
    for (const auto& c : cases) {
        SHDeleteKeyA(HKEY_CURRENT_USER, kArpCacheKey);
        std::string stored(c.size, '\xA5');  // fields nobody of ours would write
        stored.back() = c.type == REG_SZ ? '\0' : stored.back();
        ASSERT_TRUE(WriteRegistryValue(kArpCacheKey, "SlowInfoCache", c.type, stored));
        WriteEstimatedSize(77);
        if (c.ours)
            SetArpInstalledSize(reinterpret_cast<uint8_t*>(&stored[0]), 77);  // high 32 bits cleared too
        record = ReadRegistryValue(kArpCacheKey, "SlowInfoCache");
        EXPECT_TRUE(record.type == c.type && record.data == stored) << c.type << " of " << c.size;
        EXPECT_EQ(ReadRegistryValue(kArpCacheKey, "Changed").found, c.ours) << c.type << " of " << c.size;
        EXPECT_EQ(ReadRegistryValue(kUninstallKey, "EstimatedSize").Number(), 77u);
    }
}
