#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "app/launch.h"
#include "app/registry_keys.h"
#include "tests/app/installation_probe.h"
#include "tests/support/test_env.h"

TEST(ActOnInstalledChoice, EachChoiceStartsWhatItNamesInTheProgramsFolder)
{
    WithoutSanitizerPreload plainWindowsPrograms;
    const struct {
        const char* folderName;
        int choice;
        bool quotedUninstall;
        const char* expectedArguments;  // null: nothing may start
    } cases[] = {
        {"launch", kInstalledLaunch, false, ""},
        {"launch with blank", kInstalledLaunch, false, ""},
        {"remove quoted", kInstalledRemove, true, "/uninstall"},
        {"remove_unquoted", kInstalledRemove, false, "/uninstall"},
        {"cancel", kInstalledCancel, false, nullptr},
    };
    // Started elsewhere, so that an inherited working folder would show.
    SetCurrentDirectoryA("C:\\windows");
    for (const auto& c : cases) {
        std::string folder = probe::TestRoot() + "\\" + c.folderName;
        CreateDirectoryA(folder.c_str(), nullptr);
        std::string path = folder + "\\Quorvalent.exe";
        probe::CopyStandinTo(path);
        // The registration names another folder, so that the removal leaves
        // this one and its record in place.
        probe::WriteText(kUninstallKey, "UninstallString",
                         (c.quotedUninstall ? "\"" + path + "\"" : path) + " /uninstall");
        probe::WriteText(kUninstallKey, "InstallLocation", "C:\\elsewhere");
        InstallerApp app;
        app.ActOnInstalledChoice(c.choice, path.c_str());
        if (!c.expectedArguments)
            Sleep(1500);
        std::vector<probe::StartRecord> starts = probe::WaitForStarts(folder, c.expectedArguments ? 1 : 0);
        ASSERT_EQ(starts.size(), c.expectedArguments ? 1u : 0u) << c.folderName;
        if (c.expectedArguments) {
            EXPECT_EQ(starts[0].folder, folder) << c.folderName;
            EXPECT_EQ(starts[0].arguments, c.expectedArguments) << c.folderName;
        }
    }
    EXPECT_FALSE(LaunchProgram("C:\\nowhere\\Quorvalent.exe"));
    EXPECT_FALSE(LaunchProgram(std::string(2000, 'x').c_str()));
}
