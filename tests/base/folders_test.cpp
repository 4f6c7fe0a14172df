#include "tests/support/gtest.h"

#include "base/folders.h"
#include "tests/support/test_env.h"

#include <cstring>
#include <shlobj.h>
#include <string>

TEST(Folders, PathsThatDoNotFitAreRefusedUnchanged)
{
    struct Case {
        const char* path;
        uint32_t size;
        const char* name;  // null: AddBackslash
        bool fits;
        const char* expected;
    } cases[] = {
        {"C:\\a", 16, nullptr, true, "C:\\a\\"},
        {"C:\\a\\", 16, nullptr, true, "C:\\a\\"},
        {"", 16, nullptr, true, ""},
        {"C:\\a", 5, nullptr, false, "C:\\a"},
        {"C:\\a", 6, nullptr, true, "C:\\a\\"},
        {"C:\\a\\b.txt", 16, "c.dat", true, "C:\\a\\c.dat"},
        {"C:\\a\\b.txt", 16, "too-long.dat", false, "C:\\a\\b.txt"},
        {"b.txt", 16, "c.dat", true, "c.dat"},
    };
    for (const Case& c : cases) {
        char path[16];
        std::strcpy(path, c.path);
        bool fits = c.name ? ReplaceFileName(path, c.size, c.name) : AddBackslash(path, c.size);
        EXPECT_EQ(fits, c.fits) << c.path << " " << (c.name ? c.name : "\\") << " in " << c.size;
        EXPECT_STREQ(path, c.expected);
    }
    char narrow[8] = "C:\\";
    EXPECT_EQ(AppendFolderIfExists(narrow, sizeof narrow, "toolong"), DWORD(ERROR_BUFFER_OVERFLOW));
    EXPECT_STREQ(narrow, "C:\\");
    char tiny[8] = "x";
    EXPECT_FALSE(GetInstallFolder(tiny, sizeof tiny));
    EXPECT_STREQ(tiny, "");
    EXPECT_EQ(GetFreeDiskSpace("Q:\\no-such-drive\\"), 0u) << "a failed query is a full disk";
}

TEST(Folders, InstallAndPrefsFoldersAreMadeUnderApplicationData)
{
    char appData[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, TRUE));
    char folder[kInstallPathSize];
    ASSERT_TRUE(GetInstallFolder(folder, sizeof folder));
    EXPECT_EQ(std::string(folder), std::string(appData) + "\\Quorvalent\\Quorvalent\\");
    EXPECT_TRUE(FileExists(folder));
    char module[kFolderPathSize];
    ASSERT_TRUE(GetModuleFolder(module, sizeof module));
    ASSERT_FALSE(FileExists((std::string(module) + "Quorvalent Prefs").c_str()));
    char prefs[kFolderPathSize];
    GetPrefsFolder(prefs);
    EXPECT_EQ(std::string(prefs), std::string(appData) + "\\Quorvalent\\Quorvalent Prefs\\");
    EXPECT_TRUE(FileExists(prefs));
}
