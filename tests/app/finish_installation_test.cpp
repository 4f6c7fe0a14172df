#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "app/registry_keys.h"
#include "tests/app/installation_probe.h"
#include "tests/support/test_env.h"

#include <objbase.h>

TEST(FinishInstallation, RegistersAndLaunchesTheProgramOnlyWithoutOem)
{
    WithoutSanitizerPreload plainWindowsPrograms;
    CoInitialize(nullptr);
    const struct {
        const char* folderName;
        uint8_t oem;
        size_t starts;
    } cases[] = {{"oem", 1, 0}, {"download road", 0, 1}};
    for (const auto& c : cases) {
        std::string folder = probe::TestRoot() + "\\" + c.folderName;
        CreateDirectoryA(folder.c_str(), nullptr);
        std::string program = folder + "\\Quorvalent.exe";
        probe::CopyStandinTo(program);
        ASSERT_TRUE(SetExecutablePath(program.c_str()));
        theApp.m_bOem = c.oem;
        theApp.m_nInstalledSize = 4321;
        theApp.FinishInstallation();
        EXPECT_EQ(probe::ReadValue(kProductKey, "ExecutablePath").text(), program) << c.folderName;
        EXPECT_EQ(probe::ReadValue(kUninstallKey, "EstimatedSize").dword(), 4321u) << c.folderName;
        EXPECT_TRUE(probe::FileExists(probe::SpecialFolder(CSIDL_PROGRAMS) + "\\Quorvalent.lnk")) << c.folderName;
        if (c.starts == 0)
            Sleep(1500);
        std::vector<probe::StartRecord> starts = probe::WaitForStarts(folder, c.starts);
        ASSERT_EQ(starts.size(), c.starts) << c.folderName;
        if (c.starts) {
            EXPECT_EQ(starts[0].arguments, "") << c.folderName;
            EXPECT_EQ(starts[0].folder, folder) << c.folderName;
        }
    }
    theApp.m_bOem = 0;
    CoUninitialize();
}
