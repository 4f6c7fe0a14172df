#include "tests/support/gtest.h"

#include "app/arp_cache_record.h"
#include "app/installer_app.h"
#include "app/registration.h"
#include "app/registry_keys.h"
#include "tests/app/installation_probe.h"

#include <shlwapi.h>

#include <cstring>

namespace {

std::string Today()
{
    char date[32] = {};
    GetDateFormatA(LOCALE_SYSTEM_DEFAULT, 0, nullptr, "yyyyMMdd", date, sizeof date);
    return date;
}

uint64_t FileTimeNow()
{
    SYSTEMTIME now;
    FILETIME time;
    GetSystemTime(&now);
    SystemTimeToFileTime(&now, &time);
    return static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

struct ExpectedValue {
    const char* name;
    DWORD type;
    std::string text;
    DWORD number;
};

void ExpectValues(const char* key, const std::vector<ExpectedValue>& expected)
{
    for (const ExpectedValue& e : expected) {
        probe::RegistryValue value = probe::ReadValue(key, e.name);
        ASSERT_TRUE(value.found) << e.name;
        EXPECT_EQ(value.type, e.type) << e.name;
        if (e.type == REG_SZ) {
            EXPECT_EQ(value.text(), e.text) << e.name;
            // The terminating NUL is part of the stored length.
            EXPECT_EQ(value.data.size(), e.text.size() + 1) << e.name;
        } else {
            EXPECT_EQ(value.dword(), e.number) << e.name;
        }
    }
    EXPECT_EQ(probe::ValueNames(key).size(), expected.size());
}

}  // namespace

TEST(RegisterInstallation, WritesEveryUninstallValueWithItsType)
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
    struct Case {
        std::string path;
        std::string uninstall;
        std::string location;
    };
    std::string longFolder = "C:\\a b\\" + std::string(236, 'x');
    const Case cases[] = {
        {"C:\\Quorvalent\\Quorvalent.exe", "C:\\Quorvalent\\Quorvalent.exe /uninstall", "C:\\Quorvalent"},
        {"C:\\My Apps\\Q.exe", "\"C:\\My Apps\\Q.exe\" /uninstall", "C:\\My Apps"},
        // Too long for the shell's quoting, yet a blank must still be quoted.
        {longFolder + "\\Quorvalent.exe", "\"" + longFolder + "\\Quorvalent.exe\" /uninstall", longFolder},
    };
    for (const Case& c : cases) {
        ASSERT_LT(c.path.size(), 260u);
        WriteUninstallEntry(c.path.c_str(), 1);
        EXPECT_EQ(probe::ReadValue(kUninstallKey, "UninstallString").text(), c.uninstall) << c.path;
        EXPECT_EQ(probe::ReadValue(kUninstallKey, "InstallLocation").text(), c.location) << c.path;
    }
}

TEST(WriteEstimatedSize, NewRecordIsLaidOutAsTheSystemReadsIt)
{
    uint64_t before = FileTimeNow();
    WriteEstimatedSize(0xFEDCBA98u);
    uint64_t after = FileTimeNow();
    probe::RegistryValue value = probe::ReadValue(kArpCacheKey, "SlowInfoCache");
    ASSERT_EQ(value.type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(value.data.size(), 552u);
    const uint8_t* r = value.data.data();
    EXPECT_EQ(std::vector<uint8_t>(r, r + 16),
              (std::vector<uint8_t>{0x28, 0x02, 0, 0,                 // recordSize 552
                                    1, 0, 0, 0,                       // hasName
                                    0x98, 0xBA, 0xDC, 0xFE, 0, 0, 0, 0}));  // installedSize
    uint64_t lastUsed = ReadLe64(r + 16);
    EXPECT_GE(lastUsed, before);
    EXPECT_LE(lastUsed, after);
    EXPECT_EQ(ReadLe32(r + 24), 3u);  // frequency
    const char* name = "Quorvalent";
    for (int i = 0; i < 262; ++i) {
        uint16_t unit = static_cast<uint16_t>(r[28 + 2 * i] | r[29 + 2 * i] << 8);
        EXPECT_EQ(unit, i < 10 ? static_cast<uint16_t>(name[i]) : 0u) << "unit " << i;
    }
    EXPECT_EQ(probe::ReadValue(kArpCacheKey, "Changed").dword(), 0u);
    EXPECT_EQ(probe::ReadValue(kUninstallKey, "EstimatedSize").dword(), 0xFEDCBA98u);
}

TEST(WriteEstimatedSize, SecondRegistrationReplacesOnlyTheSize)
{
    ArpCacheRecord record;
    std::memset(record, 0xA5, sizeof record);  // fields nobody of ours would write
    probe::WriteValue(kArpCacheKey, "SlowInfoCache", REG_BINARY, record, sizeof record);
    probe::WriteValue(kArpCacheKey, "Changed", REG_DWORD, "\x01\0\0\0", 4);

    WriteEstimatedSize(77);
    probe::RegistryValue value = probe::ReadValue(kArpCacheKey, "SlowInfoCache");
    ASSERT_EQ(value.data.size(), 552u);
    EXPECT_EQ(ReadLe64(value.data.data() + 8), 77u);  // high 32 bits cleared too
    for (size_t i = 0; i < 552; ++i) {
        if (i < 8 || i >= 16) {
            ASSERT_EQ(value.data[i], 0xA5) << "byte " << i;
        }
    }
    EXPECT_EQ(probe::ReadValue(kArpCacheKey, "Changed").dword(), 0u);
}

TEST(WriteEstimatedSize, ForeignRecordIsLeftUntouched)
{
    struct Case {
        const char* label;
        DWORD type;
        size_t size;
    };
    const Case cases[] = {
        {"binary, one byte short", REG_BINARY, 551},
        {"binary, longer", REG_BINARY, 600},
        {"string of the right length", REG_SZ, 552},
        {"dword", REG_DWORD, 4},
        {"empty binary", REG_BINARY, 0},
    };
    for (const Case& c : cases) {
        SHDeleteKeyA(HKEY_CURRENT_USER, kArpCacheKey);
        std::vector<BYTE> data(c.size, 0x5A);
        if (c.type == REG_SZ)
            data.back() = 0;
        probe::WriteValue(kArpCacheKey, "SlowInfoCache", c.type, data.data(), static_cast<DWORD>(c.size));
        WriteEstimatedSize(99);
        probe::RegistryValue value = probe::ReadValue(kArpCacheKey, "SlowInfoCache");
        EXPECT_EQ(value.type, c.type) << c.label;
        EXPECT_EQ(value.data, data) << c.label;
        EXPECT_FALSE(probe::ReadValue(kArpCacheKey, "Changed").found) << c.label;
        // The Uninstall key's own size is written all the same.
        EXPECT_EQ(probe::ReadValue(kUninstallKey, "EstimatedSize").dword(), 99u) << c.label;
    }
}

TEST(WriteBundleValue, WritesTheBundleNumberAsDword)
{
    InstallerApp app;
    app.m_nBundle = 4000000000u;
    EXPECT_EQ(app.WriteBundleValue(), ERROR_SUCCESS);
    probe::RegistryValue value = probe::ReadValue(kProductKey, "Bundle");
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value.dword(), 4000000000u);
}
