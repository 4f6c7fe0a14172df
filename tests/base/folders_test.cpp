#include "tests/support/gtest.h"

#include "base/folders.h"
#include "tests/support/data_rows.h"
#include "tests/support/package_builder.h"
#include "tests/support/test_env.h"

#include <cstdio>
#include <shlobj.h>
#include <string>

using namespace testing_package;

// The cases of tests/data/paths.txt, the other bounded helpers, then the
// installation and preferences folders.
TEST(Folders, PathsThatDoNotFitAreRefusedAndTheFoldersAreMadeUnderApplicationData)
{
    for (const DataRow& c : ReadDataRows("paths.txt")) {
        char path[16] = "";
        std::snprintf(path, sizeof path, "%s", c.at(1) == "-" ? "" : c[1].c_str());
        const uint32_t size = std::stoul(c.at(2));
        const bool fits = c[0] == "AddBackslash" ? AddBackslash(path, size)
                                                 : ReplaceFileName(path, size, c[0].substr(16).c_str());
        EXPECT_EQ(std::string(fits ? "fits | " : "refused | ") + (path[0] ? path : "-"),
                  c.at(3) + " | " + c.at(4))
            << c[0] << " | " << c[1] << " | " << size;
    }
    char narrow[8] = "C:\\", tiny[8] = "x";
    EXPECT_EQ(AppendFolderIfExists(narrow, sizeof narrow, "toolong"), DWORD(ERROR_BUFFER_OVERFLOW));
    EXPECT_STREQ(narrow, "C:\\");
    EXPECT_FALSE(GetInstallFolder(tiny, sizeof tiny));
    EXPECT_STREQ(tiny, "");
    EXPECT_EQ(GetFreeDiskSpace("Q:\\no-such-drive\\"), 0u) << "a failed query is a full disk";
    char appData[MAX_PATH], install[kInstallPathSize], module[kFolderPathSize], prefs[kFolderPathSize];
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, TRUE));
    ASSERT_TRUE(GetInstallFolder(install, sizeof install) && GetModuleFolder(module, sizeof module));
    ASSERT_FALSE(FileExists((std::string(module) + "Quorvalent Prefs").c_str()));
    GetPrefsFolder(prefs);
    EXPECT_EQ(std::string(install), std::string(appData) + "\\Quorvalent\\Quorvalent\\");
    EXPECT_EQ(std::string(prefs), std::string(appData) + "\\Quorvalent\\Quorvalent Prefs\\");
    EXPECT_TRUE(FileExists(install) && FileExists(prefs));
}
