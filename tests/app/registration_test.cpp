#include "tests/support/gtest.h"

#include "app/arp_cache_record.h"
#include "base/byte_order.h"
#include "app/registration.h"
#include "app/registry_keys.h"
#include "tests/app/installation_probe.h"

#include <shlwapi.h>

namespace {

std::string Today()
{
    char date[32] = {};
    GetDateFormatA(LOCALE_SYSTEM_DEFAULT, 0, nullptr, "yyyyMMdd", date, sizeof date);
    return date;
}

// The current time as a FILETIME, to the millisecond that GetSystemTime gives.
uint64_t FileTimeNow()
{
    FILETIME time;
    GetSystemTimeAsFileTime(&time);
    uint64_t ticks = static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
    return ticks - ticks % 10000;
}

struct ExpectedValue {
    const char* name;
    DWORD type;
    std::string text;  // REG_SZ
    DWORD number;      // REG_DWORD
};

// The key holds exactly these values with these types and contents.
void ExpectValues(const char* key, const std::vector<ExpectedValue>& expected)
{
    for (const ExpectedValue& e : expected) {
        probe::RegistryValue value = probe::ReadValue(key, e.name);
        ASSERT_TRUE(value.found) << e.name;
        EXPECT_EQ(value.type, e.type) << e.name;
        if (e.type == REG_SZ) {
            EXPECT_EQ(value.text(), e.text) << e.name;
            EXPECT_EQ(value.data.size(), e.text.size() + 1) << e.name << ": NUL counted";
        } else if (e.type == REG_DWORD) {
            EXPECT_EQ(value.dword(), e.number) << e.name;
        }
    }
    EXPECT_EQ(probe::ValueCount(key), expected.size());
}

}  // namespace

TEST(RegisterInstallation, WritesEveryValueWithItsType)
{
    const char* path = "C:\\Program Files\\Quorvalent\\Quorvalent.exe";
    std::string before = Today();
    RegisterInstallation(path, 1234567);
    std::string date = probe::ReadValue(kUninstallKey, "InstallDate").text();
    EXPECT_TRUE(date == before || date == Today()) << date;
    ExpectValues(kUninstallKey, {
        {"Comments", REG_SZ, "Quorvalent - play your friends online", 0},
        {"DisplayName", REG_SZ, "Quorvalent", 0},
        {"DisplayIcon", REG_SZ, path, 0},
        {"HelpLink", REG_SZ, "http://www.quorvalent.example/support/", 0},
        {"InstallLocation", REG_SZ, "C:\\Program Files\\Quorvalent", 0},
        {"Publisher", REG_SZ, "Quorvalent Technologies", 0},
        {"URLInfoAbout", REG_SZ, "http://www.quorvalent.example/", 0},
        {"NoModify", REG_DWORD, "", 1},
        {"NoRemove", REG_DWORD, "", 0},
        {"NoRepair", REG_DWORD, "", 1},
        {"UninstallString", REG_SZ, "\"C:\\Program Files\\Quorvalent\\Quorvalent.exe\" /uninstall", 0},
        {"InstallDate", REG_SZ, date, 0},
        {"EstimatedSize", REG_DWORD, "", 1234567},
    });
    ExpectValues(kProductKey, {{"ExecutablePath", REG_SZ, path, 0}});
    ExpectValues(kArpCacheKey, {{"SlowInfoCache", REG_BINARY, "", 0}, {"Changed", REG_DWORD, "", 0}});
}

TEST(RegisterInstallation, QuotesTheUninstallPathOnlyWhenItHoldsABlank)
{
    // 258 characters with a blank: too long for the shell's quoting.
    std::string longFolder = "C:\\a b\\" + std::string(236, 'x');
    const struct {
        std::string path, uninstall, location;
    } cases[] = {
        {"C:\\Quorvalent\\Quorvalent.exe", "C:\\Quorvalent\\Quorvalent.exe /uninstall", "C:\\Quorvalent"},
        {"C:\\My Apps\\Q.exe", "\"C:\\My Apps\\Q.exe\" /uninstall", "C:\\My Apps"},
        {longFolder + "\\Quorvalent.exe", "\"" + longFolder + "\\Quorvalent.exe\" /uninstall", longFolder},
    };
    for (const auto& c : cases) {
        WriteUninstallEntry(c.path.c_str(), 1);
        EXPECT_EQ(probe::ReadValue(kUninstallKey, "UninstallString").text(), c.uninstall) << c.path;
        EXPECT_EQ(probe::ReadValue(kUninstallKey, "InstallLocation").text(), c.location) << c.path;
    }
}

TEST(WriteEstimatedSize, NewRecordIsLaidOutAsTheSystemReadsIt)
{
    uint64_t before = FileTimeNow();
    WriteEstimatedSize(0xFEDCBA98u);
    uint64_t after = FileTimeNow() + 10000;
    probe::RegistryValue value = probe::ReadValue(kArpCacheKey, "SlowInfoCache");
    ASSERT_EQ(value.type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(value.data.size(), 552u);
    const uint8_t* r = value.data.data();
    EXPECT_EQ(std::vector<uint8_t>(r, r + 16), (std::vector<uint8_t>{
                                                   0x28, 0x02, 0, 0,                        // recordSize 552
                                                   1, 0, 0, 0,                              // hasName
                                                   0x98, 0xBA, 0xDC, 0xFE, 0, 0, 0, 0}));  // installedSize
    EXPECT_GE(LoadLittleEndian64(r + 16), before);  // lastUsed, UTC
    EXPECT_LE(LoadLittleEndian64(r + 16), after);
    EXPECT_EQ(LoadLittleEndian32(r + 24), 3u);  // frequency
    for (int i = 0; i < 262; ++i) {
        uint16_t unit = static_cast<uint16_t>(r[28 + 2 * i] | r[29 + 2 * i] << 8);
        EXPECT_EQ(unit, i < 10 ? static_cast<uint16_t>("Quorvalent"[i]) : 0u) << "programName unit " << i;
    }
    EXPECT_EQ(probe::ReadValue(kArpCacheKey, "Changed").dword(), 0u);
    EXPECT_EQ(probe::ReadValue(kUninstallKey, "EstimatedSize").dword(), 0xFEDCBA98u);
}

TEST(WriteEstimatedSize, ExistingRecordKeepsItsFieldsAndForeignOnesAreLeftAlone)
{
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
        std::vector<BYTE> stored(c.size, 0xA5);  // fields nobody of ours would write
        if (c.type == REG_SZ)
            stored.back() = 0;
        probe::WriteValue(kArpCacheKey, "SlowInfoCache", c.type, stored.data(), static_cast<DWORD>(c.size));
        WriteEstimatedSize(77);
        probe::RegistryValue value = probe::ReadValue(kArpCacheKey, "SlowInfoCache");
        std::vector<BYTE> expected = stored;
        if (c.ours)
            SetArpInstalledSize(expected.data(), 77);  // high 32 bits cleared too
        EXPECT_EQ(value.type, c.type) << c.label;
        EXPECT_EQ(value.data, expected) << c.label;
        EXPECT_EQ(probe::ReadValue(kArpCacheKey, "Changed").found, c.ours) << c.label;
        EXPECT_EQ(probe::ReadValue(kUninstallKey, "EstimatedSize").dword(), 77u) << c.label;
    }
}
