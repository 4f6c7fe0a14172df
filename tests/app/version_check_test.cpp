#include "tests/support/gtest.h"

#include "app/registry_keys.h"
#include "tests/app/installation_probe.h"
#include "tests/support/process.h"

namespace {

// Wine reads the version it reports from this value when a process starts.
void SetWineVersion(const char* version)
{
    probe::WriteText("Software\\Wine", "Version", version);
}

}  // namespace

TEST(CheckWindowsVersion, RefusesSystemsOlderThanWindows2000BeforeInstallingAnything)
{
    const std::string program = probe::SpecialFolder(CSIDL_APPDATA) + "\\Quorvalent\\Quorvalent\\Quorvalent.exe";
    const struct {
        const char* version;
        bool refused;
    } cases[] = {{"nt40", true}, {"win2k", false}};
    const char* alert = "Windows 2000 Required: Quorvalent requires Windows 2000 or later to run.";
    for (const auto& c : cases) {
        SetWineVersion(c.version);
        std::string output;
        EXPECT_EQ(RunBuiltProgram("quorvalent-setup.exe", "/oem /silent", &output), 0) << c.version;
        EXPECT_EQ(output.find(alert) != std::string::npos, c.refused) << c.version << ": " << output;
        EXPECT_EQ(probe::FileExists(program), !c.refused) << c.version;
        EXPECT_EQ(probe::KeyExists(kUninstallKey), !c.refused) << c.version;
    }
}
