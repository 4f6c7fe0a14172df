#include "tests/support/gtest.h"

#include "base/folders.h"
#include "tests/package/package_helpers.h"

#include <cstring>
#include <shlobj.h>
#include <string>

using namespace testing_package;

TEST(Folders, FileNamePartsAndBackslashes)
{
    EXPECT_STREQ(FileNamePart("C:\\a\\b.txt"), "b.txt");
    EXPECT_STREQ(FileNamePart("C:\\a\\"), "");
    EXPECT_STREQ(FileNamePart("b.txt"), "b.txt");
    EXPECT_STREQ(FileNamePart(""), "");
    struct Case {
        const char* path;
        uint32_t size;
        bool fits;
        const char* expected;
    } backslashes[] = {
        {"C:\\a", 16, true, "C:\\a\\"},
        {"C:\\a\\", 16, true, "C:\\a\\"},
        {"", 16, true, ""},
        {"C:\\a", 5, false, "C:\\a"},
        {"C:\\a", 6, true, "C:\\a\\"},
    };
    for (const Case& c : backslashes) {
        char path[16];
        std::strcpy(path, c.path);
        EXPECT_EQ(AddBackslash(path, c.size), c.fits) << c.path << " in " << c.size;
        EXPECT_STREQ(path, c.expected);
    }
    char path[16] = "C:\\a\\b.txt";
    EXPECT_TRUE(ReplaceFileName(path, sizeof path, "c.dat"));
    EXPECT_STREQ(path, "C:\\a\\c.dat");
    EXPECT_FALSE(ReplaceFileName(path, sizeof path, "much-too-long.dat"));
    EXPECT_STREQ(path, "C:\\a\\c.dat");
    char bare[16] = "b.txt";
    RemoveFileName(bare);
    EXPECT_STREQ(bare, "");
}

TEST(Folders, InstallAndPrefsFoldersAreMadeUnderApplicationData)
{
    char appData[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, TRUE));
    std::string expected = std::string(appData) + "\\Quorvalent\\Quorvalent\\";
    char folder[kInstallPathSize];
    ASSERT_TRUE(GetInstallFolder(folder, sizeof folder));
    EXPECT_EQ(std::string(folder), expected);
    EXPECT_TRUE(FileExists(folder));
    EXPECT_TRUE(FileExists((std::string(appData) + "\\Quorvalent").c_str()));
    char tiny[8] = "x";
    EXPECT_FALSE(GetInstallFolder(tiny, sizeof tiny)) << "nothing fits eight bytes";
    EXPECT_STREQ(tiny, "");

    // With no preferences folder beside the installer, one is made under application data.
    char module[kFolderPathSize];
    ASSERT_TRUE(GetModuleFolder(module, sizeof module));
    ASSERT_FALSE(FileExists((std::string(module) + "Quorvalent Prefs").c_str()));
    char prefs[kFolderPathSize];
    GetPrefsFolder(prefs);
    EXPECT_EQ(std::string(prefs), std::string(appData) + "\\Quorvalent\\Quorvalent Prefs\\");
    EXPECT_TRUE(FileExists(prefs));
}

TEST(Folders, HelpersRefuseWhatDoesNotFitAndFailedQueriesGiveZero)
{
    const std::string folder = ScratchFolder("helpers");
    CreateSubfolder((folder + "ignored-name").c_str(), "made");
    char path[kFolderPathSize];
    std::strcpy(path, folder.c_str());
    EXPECT_EQ(AppendFolderIfExists(path, sizeof path, "made"), 0u);
    EXPECT_EQ(std::string(path), folder + "made\\");
    std::strcpy(path, folder.c_str());
    EXPECT_NE(AppendFolderIfExists(path, sizeof path, "absent"), 0u);
    char narrow[8] = "C:\\";
    EXPECT_EQ(AppendFolderIfExists(narrow, sizeof narrow, "toolong"), DWORD(ERROR_BUFFER_OVERFLOW));
    EXPECT_STREQ(narrow, "C:\\");
    EXPECT_FALSE(FileExists(""));
    EXPECT_GT(GetFreeDiskSpace(folder.c_str()), 0u);
    EXPECT_EQ(GetFreeDiskSpace("Q:\\no-such-drive\\"), 0u);
}
