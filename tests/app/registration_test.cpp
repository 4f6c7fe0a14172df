#include "tests/support/gtest.h"

#include "app/registration.h"
#include "app/registry_keys.h"
#include "app/slow_info_cache.h"
#include "base/byte_order.h"
#include "tests/support/wine_probe.h"

#include <shlwapi.h>

// The values the registration derives from the path, each a REG_SZ with its
// NUL counted; a path that does not fit registers no location or command.
TEST(RegisterInstallation, QuotesTheUninstallPathOnlyWhenItHoldsABlank)
{
    // 258 characters with a blank: too long for the shell's quoting.
    const std::string longFolder = "C:\\a b\\" + std::string(236, 'x');
    const std::string tooLong = "C:\\" + std::string(257, 'y');
    const struct {
        std::string path, uninstall, location;
    } cases[] = {
        {"C:\\Quorvalent\\Quorvalent.exe", "C:\\Quorvalent\\Quorvalent.exe /uninstall", "C:\\Quorvalent"},
        {"C:\\Program Files\\Quorvalent\\Quorvalent.exe",
         "\"C:\\Program Files\\Quorvalent\\Quorvalent.exe\" /uninstall", "C:\\Program Files\\Quorvalent"},
        {longFolder + "\\Quorvalent.exe", "\"" + longFolder + "\\Quorvalent.exe\" /uninstall", longFolder},
        {tooLong, "", ""},
    };
    char today[32] = "";
    GetDateFormatA(LOCALE_SYSTEM_DEFAULT, 0, nullptr, "yyyyMMdd", today, sizeof today);
    for (const auto& c : cases) {
        SHDeleteKeyA(HKEY_CURRENT_USER, kUninstallKey);
        RegisterInstallation(c.path.c_str(), 1234567);
        const struct {
            const char* key;
            const char* name;
            std::string text;  // empty: absent
        } values[] = {
            {kUninstallKey, "UninstallString", c.uninstall}, {kUninstallKey, "InstallLocation", c.location},
            {kUninstallKey, "DisplayIcon", c.path},          {kUninstallKey, "InstallDate", today},
            {kProductKey, "ExecutablePath", c.path},
        };
        for (const auto& v : values) {
            RegistryValue value = ReadRegistryValue(v.key, v.name);
            EXPECT_EQ(value.found, !v.text.empty()) << v.name << " of " << c.path;
            EXPECT_TRUE(!value.found || (value.type == REG_SZ && value.data == v.text + '\0'))
                << v.name << " of " << c.path;
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
    RegistryValue value = ReadRegistryValue(kArpCacheKey, "SlowInfoCache");
    ASSERT_EQ(value.type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(value.data.size(), 552u);
    const uint8_t* r = reinterpret_cast<const uint8_t*>(value.data.data());
    EXPECT_EQ(value.data.substr(0, 16), std::string("\x28\x02\0\0"               // recordSize 552
                                                    "\x01\0\0\0"                 // hasName
                                                    "\x98\xBA\xDC\xFE\0\0\0\0",  // installedSize
                                                    16));
    // lastUsed: now in UTC, to the millisecond GetSystemTime gives.
    uint64_t now = (uint64_t(before.dwHighDateTime) << 32 | before.dwLowDateTime) / 10000 * 10000;
    EXPECT_GE(LoadLittleEndian64(r + 16), now);
    EXPECT_LE(LoadLittleEndian64(r + 16), now + 600000000u);
    EXPECT_EQ(LoadLittleEndian32(r + 24), 3u);  // frequency
    for (int i = 0; i < 262; ++i)
        EXPECT_EQ(r[28 + 2 * i] | r[29 + 2 * i] << 8, i < 10 ? "Quorvalent"[i] : 0)
            << "programName unit " << i;
    EXPECT_EQ(ReadRegistryValue(kArpCacheKey, "Changed").Number(), 0u);

    const struct {
        const char* label;
        DWORD type;
        size_t size;
        bool ours;
    } cases[] = {
        {"a record of ours", REG_BINARY, 552, true},
        {"binary, one byte short", REG_BINARY, 551, false},
        {"binary, longer", REG_BINARY, 600, false},
        {"string of the right length", REG_SZ, 552, false},
        {"dword", REG_DWORD, 4, false},
    };
    for (const auto& c : cases) {
        SHDeleteKeyA(HKEY_CURRENT_USER, kArpCacheKey);
        std::string stored(c.size, '\xA5');  // fields nobody of ours would write
        if (c.type == REG_SZ)
            stored.back() = '\0';
        ASSERT_TRUE(WriteRegistryValue(kArpCacheKey, "SlowInfoCache", c.type, stored)) << c.label;
        WriteEstimatedSize(77);
        std::string expected = stored;
        if (c.ours)
            SetArpInstalledSize(reinterpret_cast<uint8_t*>(&expected[0]), 77);  // high 32 bits cleared too
        value = ReadRegistryValue(kArpCacheKey, "SlowInfoCache");
        EXPECT_TRUE(value.type == c.type && value.data == expected) << c.label;
        EXPECT_EQ(ReadRegistryValue(kArpCacheKey, "Changed").found, c.ours) << c.label;
        EXPECT_EQ(ReadRegistryValue(kUninstallKey, "EstimatedSize").Number(), 77u) << c.label;
    }
}
