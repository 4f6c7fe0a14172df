#include "tests/support/gtest.h"

#include "tests/support/process.h"

#include <windows.h>

namespace {

// Wine reads the version it reports from this value when a process starts.
void SetWineVersion(const char* version)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine", 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   static_cast<DWORD>(lstrlenA(version) + 1));
    RegCloseKey(key);
}

}  // namespace

TEST(CheckWindowsVersion, RefusesSystemsOlderThanWindows2000)
{
    const struct {
        const char* version;
        bool refused;
    } cases[] = {{"nt40", true}, {"win2k", false}, {"winxp", false}, {"win7", false}};
    const char* alert = "Windows 2000 Required: Quorvalent requires Windows 2000 or later to run.";
    for (const auto& c : cases) {
        SetWineVersion(c.version);
        std::string output;
        EXPECT_EQ(RunBuiltProgram("quorvalent-setup.exe", "/silent", &output), 0) << c.version;
        EXPECT_EQ(output.find(alert) != std::string::npos, c.refused) << c.version << ": " << output;
    }
}
