#include "tests/support/gtest.h"

#include "app/registration.h"
#include "app/registry_keys.h"
#include "app/slow_info_cache.h"
#include "tests/support/wine_probe.h"

#include <shlwapi.h>

#include <tuple>

using namespace std::string_literals;

namespace {

// The value's type and data as stored, a REG_SZ with its NUL; "absent".
std::string Stored(const char* key, const char* name)
{
    RegistryValue value = ReadRegistryValue(key, name);
    return (value.found ? std::to_string(value.type) + " " + value.data : "absent") + "; ";
}

std::string Sz(const std::string& text) { return text.empty() ? "absent; " : "1 " + text + '\0' + "; "; }

}  // namespace

// Each derived value a REG_SZ with its NUL; a path that does not fit
// registers neither its folder nor its command.
TEST(Registration, QuotesTheUninstallPathOnlyWithABlankAndLeavesForeignSizeRecordsAlone)
{
    // 258 characters with a blank: too long for the shell's quoting.
    const std::string longFolder = "C:\\a b\\" + std::string(236, 'x'),
                      tooLong = "C:\\" + std::string(257, 'y');
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"C:\\Quorvalent\\Quorvalent.exe", "C:\\Quorvalent\\Quorvalent.exe /uninstall", "C:\\Quorvalent"},
        {"C:\\Program Files\\Q\\Q.exe", "\"C:\\Program Files\\Q\\Q.exe\" /uninstall", "C:\\Program Files\\Q"},
        {longFolder + "\\Quorvalent.exe", "\"" + longFolder + "\\Quorvalent.exe\" /uninstall", longFolder},
        {tooLong, "", ""},
    };
    char today[32] = "";
    GetDateFormatA(LOCALE_SYSTEM_DEFAULT, 0, nullptr, "yyyyMMdd", today, sizeof today);
    for (const auto& [path, uninstall, location] : cases) {
        SHDeleteKeyA(HKEY_CURRENT_USER, kUninstallKey);
        RegisterInstallation(path.c_str(), 1234567);
        std::string written = Stored(kProductKey, "ExecutablePath");
        for (const char* name : {"UninstallString", "InstallLocation", "DisplayIcon", "InstallDate"})
            written += Stored(kUninstallKey, name);
        EXPECT_EQ(written + Stored(kUninstallKey, "EstimatedSize"),
                  Sz(path) + Sz(uninstall) + Sz(location) + Sz(path) + Sz(today) + "4 \x87\xD6\x12\0; "s);
    }
    // A new size record is laid out as the system reads it; foreign ones are left alone.
    FILETIME before;
    GetSystemTimeAsFileTime(&before);
    WriteEstimatedSize(0xFEDCBA98u);
    std::string record = Stored(kArpCacheKey, "SlowInfoCache") + Stored(kArpCacheKey, "Changed");
    // lastUsed: the UTC time to the millisecond that GetSystemTime gives.
    const uint64_t now = (uint64_t(before.dwHighDateTime) << 32 | before.dwLowDateTime) / 10000 * 10000;
    // Wine's two clocks may disagree by a few ticks: allow a minute either way.
    const int64_t lag =
        int64_t(LoadLittleEndian64(reinterpret_cast<const uint8_t*>(record.data()) + 2 + 16) - now);
    EXPECT_LT(lag < 0 ? -lag : lag, 600000000);
    EXPECT_EQ(
        record.replace(2 + 16, 8, "lastUsed"),
        "3 \x28\x02\0\0\x01\0\0\0\x98\xBA\xDC\xFE\0\0\0\0lastUsed\x03\0\0\0Q\0u\0o\0r\0v\0a\0l\0e\0n\0t\0"s +
            std::string(504, '\0') + "; 4 \0\0\0\0; "s);
    const std::tuple<DWORD, size_t, bool> foreign[] = {
        {REG_BINARY, 552, true}, {REG_BINARY, 551, false}, {REG_BINARY, 600, false},
        {REG_SZ, 552, false},    {REG_DWORD, 4, false},
    };
    for (const auto& [type, size, ours] : foreign) {
        SHDeleteKeyA(HKEY_CURRENT_USER, kArpCacheKey);
        std::string stored(size, '\xA5');  // fields nobody of ours would write
        stored.back() = type == REG_SZ ? '\0' : stored.back();
        ASSERT_TRUE(WriteRegistryValue(kArpCacheKey, "SlowInfoCache", type, stored));
        WriteEstimatedSize(77);
        if (ours)
            SetArpInstalledSize(reinterpret_cast<uint8_t*>(&stored[0]), 77);  // high 32 bits cleared too
        EXPECT_EQ(Stored(kArpCacheKey, "SlowInfoCache") + Stored(kArpCacheKey, "Changed") +
                      Stored(kUninstallKey, "EstimatedSize"),
                  std::to_string(type) + " " + stored + "; " + (ours ? "4 \0\0\0\0; "s : "absent; ") +
                      "4 M\0\0\0; "s)
            << type << " of " << size;
    }
}
