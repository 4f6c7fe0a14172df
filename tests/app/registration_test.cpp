#include "tests/support/gtest.h"

#include "app/registration.h"
#include "app/registry_keys.h"
#include "app/slow_info_cache.h"
#include "tests/support/wine_probe.h"

#include <shlwapi.h>

namespace {

// The value as "REG_SZ text" (with its NUL counted: "\0" when it is there),
// "REG_DWORD n", "REG_BINARY n bytes" or "absent"; then "; ".
std::string Shown(const char* key, const char* name)
{
    RegistryValue value = ReadRegistryValue(key, name);
    std::string text = value.Text() + (value.data.size() == value.Text().size() + 1 ? "\\0" : "");
    return (!value.found           ? "absent"
            : value.type == REG_SZ ? "REG_SZ " + text
            : value.type == REG_DWORD
                ? "REG_DWORD " + std::to_string(value.Number())
                : std::to_string(value.type) + " " + std::to_string(value.data.size()) + " bytes") +
           "; ";
}

}  // namespace

// Each derived value a REG_SZ with its NUL; a path that does not fit
// registers neither its folder nor its command.
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
    auto sz = [](const std::string& text) { return text.empty() ? "absent; " : "REG_SZ " + text + "\\0; "; };
    for (const auto& c : cases) {
        SHDeleteKeyA(HKEY_CURRENT_USER, kUninstallKey);
        RegisterInstallation(c.path.c_str(), 1234567);
        std::string written = Shown(kProductKey, "ExecutablePath");
        for (const char* name :
             {"UninstallString", "InstallLocation", "DisplayIcon", "InstallDate", "EstimatedSize"})
            written += Shown(kUninstallKey, name);
        EXPECT_EQ(written, sz(c.path) + sz(c.uninstall) + sz(c.location) + sz(c.path) + sz(today) +
                               "REG_DWORD 1234567; ");
    }
}

TEST(WriteEstimatedSize, NewRecordIsLaidOutAsTheSystemReadsItAndForeignOnesAreLeftAlone)
{
    FILETIME before;
    GetSystemTimeAsFileTime(&before);
    WriteEstimatedSize(0xFEDCBA98u);
    RegistryValue record = ReadRegistryValue(kArpCacheKey, "SlowInfoCache");
    const std::string name("Q\0u\0o\0r\0v\0a\0l\0e\0n\0t\0", 20);
    // lastUsed: the UTC time, to the millisecond that GetSystemTime gives, within a minute.
    const uint64_t now = (uint64_t(before.dwHighDateTime) << 32 | before.dwLowDateTime) / 10000 * 10000;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(record.data.data()) + 16;
    EXPECT_TRUE(record.data.size() == 552 && LoadLittleEndian64(bytes) - now < 600000000u);
    record.data.replace(16, 8, 8, 'T');
    EXPECT_EQ(Shown(kArpCacheKey, "Changed") + Shown(kArpCacheKey, "SlowInfoCache") + record.data,
              "REG_DWORD 0; 3 552 bytes; " +
                  std::string("\x28\x02\0\0\x01\0\0\0\x98\xBA\xDC\xFE\0\0\0\0TTTTTTTT\x03\0\0\0", 28) + name +
                  std::string(524 - 20, '\0'));
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
        EXPECT_EQ(Shown(kArpCacheKey, "Changed") + Shown(kUninstallKey, "EstimatedSize") +
                      (record.type == c.type && record.data == stored ? "kept" : "changed"),
                  std::string(c.ours ? "REG_DWORD 0; " : "absent; ") + "REG_DWORD 77; kept")
            << c.type << " of " << c.size;
    }
}
