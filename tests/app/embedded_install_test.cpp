#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "app/registry_keys.h"
#include "tests/app/installation_probe.h"

#include <objbase.h>
#include <shlobj.h>

namespace {

std::string InstallFolder() { return probe::SpecialFolder(CSIDL_APPDATA) + "\\Quorvalent\\Quorvalent"; }

// The archive size in the header of the package this program carries.
uint32_t CarriedArchiveSize()
{
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(10000), "ARC");
    if (!resource || SizeofResource(nullptr, resource) < 16)
        return 0;
    const uint8_t* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, resource)));
    return uint32_t(bytes[4]) << 24 | uint32_t(bytes[5]) << 16 | uint32_t(bytes[6]) << 8 | bytes[7];
}

class EmbeddedInstall : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        saved_ = theApp.m_bOem;
        theApp.m_szExecutablePath[0] = '\0';
        theApp.m_nInstalledSize = 0;
    }
    void TearDown() override
    {
        theApp.m_bOem = saved_;
        CoUninitialize();
    }
    uint8_t saved_ = 0;
};

}  // namespace

TEST_F(EmbeddedInstall, InstallsRegistersAndMakesShortcutsWithoutLaunching)
{
    theApp.m_bOem = 1;
    ASSERT_TRUE(theApp.InstallEmbeddedPackage());
    std::string program = InstallFolder() + "\\Quorvalent.exe";
    EXPECT_EQ(std::string(theApp.m_szExecutablePath), program);
    EXPECT_TRUE(probe::FileExists(program));
    EXPECT_FALSE(probe::FileExists(InstallFolder() + "\\Quorvalent.new.exe"));
    uint32_t archiveSize = CarriedArchiveSize();
    EXPECT_NE(archiveSize, 0u);
    EXPECT_EQ(theApp.m_nInstalledSize, archiveSize);
    EXPECT_EQ(probe::ReadValue(kUninstallKey, "EstimatedSize").dword(), archiveSize);
    EXPECT_EQ(probe::ReadValue(kProductKey, "ExecutablePath").text(), program);
    EXPECT_TRUE(probe::FileExists(probe::SpecialFolder(CSIDL_PROGRAMS) + "\\Quorvalent.lnk"));
    // With oem the installed program is not started.
    Sleep(1500);
    EXPECT_TRUE(probe::ReadStarts(InstallFolder()).empty());
}

TEST_F(EmbeddedInstall, FinishLaunchesTheProgramOnlyWithoutOem)
{
    probe::WithoutSanitizerPreload plainWindowsPrograms;
    struct Case {
        const char* folderName;
        uint8_t oem;
        size_t starts;
    };
    const Case cases[] = {{"oem", 1, 0}, {"download road", 0, 1}};
    for (const Case& c : cases) {
        std::string folder = probe::TestRoot() + "\\" + c.folderName;
        CreateDirectoryA(folder.c_str(), nullptr);
        std::string program = folder + "\\Quorvalent.exe";
        probe::CopyStandinTo(program);
        ASSERT_TRUE(SetExecutablePath(program.c_str()));
        theApp.m_bOem = c.oem;
        theApp.FinishInstallation();
        EXPECT_EQ(probe::ReadValue(kProductKey, "ExecutablePath").text(), program) << c.folderName;
        if (c.starts == 0)
            Sleep(1500);
        std::vector<probe::StartRecord> starts = probe::WaitForStarts(folder, c.starts);
        EXPECT_EQ(starts.size(), c.starts) << c.folderName;
        if (!starts.empty()) {
            EXPECT_EQ(starts[0].arguments, "") << c.folderName;
            EXPECT_EQ(starts[0].folder, folder) << c.folderName;
        }
    }
}
