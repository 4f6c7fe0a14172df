#include "tests/support/gtest.h"

#include "base/error_code.h"
#include "package/delete_tree.h"
#include "base/folders.h"
#include "package/package_job.h"
#include "tests/package/package_helpers.h"

#include <cstdlib>
#include <shlobj.h>
#include <string>
#include <vector>

using namespace testing_package;

namespace {

uint64_t PlentyOfSpace(const char*)
{
    return 1ULL << 40;
}

std::string CorpusPath(const char* name)
{
    const char* source = std::getenv("QV_SOURCE_DIR");
    std::string path = std::string("Z:") + (source ? source : "") + "/tests/data/" + name;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

ErrorCode InstallCorpusPackage(const char* name)
{
    std::string bytes = ReadFileText(CorpusPath(name));
    PackageJob job(nullptr);
    try {
        job.LoadPackage(reinterpret_cast<const uint8_t*>(bytes.data()), uint32_t(bytes.size()), 1);
        job.Install();
    } catch (ErrorCode code) {
        return code;
    }
    return 0;
}

}  // namespace

TEST(Corpus, GoodAndOddPackagesInstallAndBadOnesFailInsideTheFolder)
{
    SetFreeDiskSpaceQuery(PlentyOfSpace);
    char appData[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, TRUE));
    const std::string product = std::string(appData) + "\\Quorvalent\\";
    const std::string install = product + "Quorvalent\\";
    struct Case {
        const char* file;
        ErrorCode expected;
    } cases[] = {
        {"good-lzma.pkg", 0},
        {"good-lzma-no-end-marker.pkg", 0},
        {"good-stored.pkg", 0},
        {"good-trailing-replace-delete.pkg", 0},
        {"odd-unknown-entry-type.pkg", 0},
        {"odd-program-flag-twice.pkg", 0},
        {"bad-scrambled.pkg", kErrorMalformed},
        {"bad-version.pkg", kErrorMalformed},
        {"bad-package-number.pkg", kErrorMalformed},
        {"bad-header-short.pkg", kErrorMalformed},
        {"bad-body-short.pkg", kErrorMalformed},
        {"bad-lzma-truncated.pkg", kErrorMalformed},
        {"bad-dotdot.pkg", kErrorMalformed},
        {"bad-drive-letter.pkg", kErrorMalformed},
        {"bad-absolute-name.pkg", kErrorMalformed},
        {"bad-long-name.pkg", kErrorMalformed},
        {"bad-missing-end.pkg", kErrorMalformed},
        {"bad-no-program.pkg", kErrorMalformed},
        {"bad-wrapping-size.pkg", kErrorMalformed},
    };
    for (const Case& c : cases) {
        DeleteTree(product.c_str());
        ASSERT_NE(ReadFileText(CorpusPath(c.file)), "(missing)") << c.file;
        EXPECT_EQ(InstallCorpusPackage(c.file), c.expected) << c.file;
        EXPECT_EQ(Exists(install + "Quorvalent.exe"), c.expected == 0) << c.file;
        // Failures before extraction leave even the installation folder uncreated.
        for (const std::string& name : ListNames(product))
            EXPECT_EQ(name, "Quorvalent") << c.file;
        EXPECT_FALSE(Exists(std::string(appData) + "\\evil.txt")) << c.file;
        EXPECT_FALSE(Exists("C:\\evil.txt")) << c.file;
        EXPECT_FALSE(Exists("Z:\\evil.txt")) << c.file;
    }
    DeleteTree(product.c_str());
    ASSERT_EQ(InstallCorpusPackage("good-lzma.pkg"), 0);
    EXPECT_EQ(ModificationTime(install + "docs\\readme.txt"), -305121600);
    EXPECT_EQ(ModificationTime(install + "docs\\old"), -1);
    EXPECT_EQ(ReadFileText(install + "docs\\empty.txt"), "");
    SetFreeDiskSpaceQuery(nullptr);
}
