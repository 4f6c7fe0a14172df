#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "app/launch.h"
#include "app/registration.h"
#include "app/registry_keys.h"
#include "tests/app/installation_probe.h"

namespace {

// A copy of the stand-in as an installed Quorvalent in a folder of the test's.
std::string PlaceProgram(const std::string& folderName)
{
    std::string folder = probe::TestRoot() + "\\" + folderName;
    CreateDirectoryA(folder.c_str(), nullptr);
    probe::CopyStandinTo(folder + "\\Quorvalent.exe");
    return folder;
}

// Starts elsewhere, so that an inherited working folder would show.
void LeaveProgramFolders() { SetCurrentDirectoryA("C:\\windows"); }

}  // namespace

TEST(LaunchProgram, StartsInTheProgramsFolderWithoutArguments)
{
    probe::WithoutSanitizerPreload plainWindowsPrograms;
    struct Case {
        const char* folderName;
        bool quoted;
    };
    const Case cases[] = {
        {"plain", false},
        {"with blank", false},
        {"quoted form", true},
    };
    LeaveProgramFolders();
    for (const Case& c : cases) {
        std::string folder = PlaceProgram(c.folderName);
        std::string path = folder + "\\Quorvalent.exe";
        EXPECT_TRUE(LaunchProgram((c.quoted ? "\"" + path + "\"" : path).c_str())) << path;
        std::vector<probe::StartRecord> starts = probe::WaitForStarts(folder, 1);
        ASSERT_EQ(starts.size(), 1u) << path;
        EXPECT_EQ(starts[0].folder, folder) << path;
        EXPECT_EQ(starts[0].arguments, "") << path;
    }
}

TEST(LaunchProgram, MissingProgramFailsQuietly)
{
    probe::WithoutSanitizerPreload plainWindowsPrograms;
    EXPECT_FALSE(LaunchProgram("C:\\nowhere\\Quorvalent.exe"));
    EXPECT_FALSE(LaunchProgram(std::string(2000, 'x').c_str()));
    EXPECT_FALSE(LaunchCommandLine(nullptr));
}

TEST(ActOnInstalledChoice, EachChoiceStartsWhatItNames)
{
    probe::WithoutSanitizerPreload plainWindowsPrograms;
    struct Case {
        const char* folderName;
        int choice;
        bool quotedUninstall;
        const char* expectedArguments;  // null: nothing may start
    };
    const Case cases[] = {
        {"launch", kInstalledLaunch, false, ""},
        {"remove quoted", kInstalledRemove, true, "/uninstall"},
        {"remove_unquoted", kInstalledRemove, false, "/uninstall"},
        {"cancel", kInstalledCancel, false, nullptr},
    };
    LeaveProgramFolders();
    for (const Case& c : cases) {
        std::string folder = PlaceProgram(c.folderName);
        std::string path = folder + "\\Quorvalent.exe";
        std::string command = (c.quotedUninstall ? "\"" + path + "\"" : path) + " /uninstall";
        // The registration names another folder, so that the removal leaves
        // this one and its record in place.
        probe::WriteText(kUninstallKey, "UninstallString", command);
        probe::WriteText(kUninstallKey, "InstallLocation", "C:\\elsewhere");
        InstallerApp app;
        app.ActOnInstalledChoice(c.choice, path.c_str());
        if (!c.expectedArguments) {
            Sleep(1500);
            EXPECT_TRUE(probe::WaitForStarts(folder).empty()) << c.folderName;
            continue;
        }
        std::vector<probe::StartRecord> starts = probe::WaitForStarts(folder, 1);
        ASSERT_EQ(starts.size(), 1u) << c.folderName;
        EXPECT_EQ(starts[0].folder, folder) << c.folderName;
        EXPECT_EQ(starts[0].arguments, c.expectedArguments) << c.folderName;
    }
}
