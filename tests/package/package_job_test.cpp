#include "tests/support/gtest.h"

#include "base/error_code.h"
#include "app/installer_app.h"
#include "package/delete_tree.h"
#include "base/folders.h"
#include "package/package_job.h"
#include "tests/package/package_helpers.h"

#include <string>
#include <vector>

using namespace testing_package;

namespace {

uint64_t freeSpaceAnswer = 0;
uint64_t SteeredFreeSpace(const char*)
{
    return freeSpaceAnswer;
}

// Steers the free-space query for one test.
class PackageJobTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        freeSpaceAnswer = 1ULL << 40;
        SetFreeDiskSpaceQuery(SteeredFreeSpace);
        char folder[kInstallPathSize];
        GetInstallFolder(folder, sizeof folder);
        installFolder = folder;
        SetExecutablePath("");
    }
    void TearDown() override { SetFreeDiskSpaceQuery(nullptr); }

    // Each case starts from an empty installation folder.
    void ResetInstallFolder()
    {
        DeleteTree(installFolder.c_str());
        char folder[kInstallPathSize];
        GetInstallFolder(folder, sizeof folder);
        SetExecutablePath("");
    }

    ErrorCode Install(const std::vector<uint8_t>& package, ProgressSink* sink = nullptr)
    {
        PackageJob job(sink);
        try {
            job.LoadPackage(package.data(), uint32_t(package.size()), 1);
            job.Install();
        } catch (ErrorCode code) {
            return code;
        }
        installedSize = job.archiveSize;
        return 0;
    }

    std::vector<uint8_t> ProgramArchive(const std::string& programName = "Quorvalent.new.exe")
    {
        return ArchiveBuilder().Folder("data").File("data\\x.txt", "x").File(programName, "new program", 1).End();
    }

    std::string installFolder;
    uint32_t installedSize = 0;
};

ErrorCode LoadOutcome(const std::vector<uint8_t>& bytes, uint32_t length)
{
    PackageJob job(nullptr);
    try {
        job.LoadPackage(bytes.data(), length, 1);
    } catch (ErrorCode code) {
        return code;
    }
    return 0;
}

}  // namespace

TEST_F(PackageJobTest, InstallsHandsOverTheProgramAndReportsEachStage)
{
    ASSERT_TRUE(WriteFileText(installFolder + "Quorvalent.exe", "old program"));
    std::vector<uint8_t> archive = ProgramArchive();
    ProgressRecorder sink;
    ASSERT_EQ(Install(CompressedPackage(archive), &sink), 0);
    EXPECT_EQ(ReadFileText(installFolder + "Quorvalent.exe"), "new program");
    EXPECT_FALSE(Exists(installFolder + "Quorvalent.new.exe"));
    EXPECT_EQ(ReadFileText(installFolder + "data\\x.txt"), "x");
    EXPECT_EQ(std::string(theApp.m_szExecutablePath), installFolder + "Quorvalent.exe");
    EXPECT_EQ(installedSize, archive.size());
    EXPECT_EQ(sink.calls, (std::vector<std::string>{"status Decompressing update... 1", "0/0 1",
                                                    "status Installing update... 1", "0/0 1"}));

    ResetInstallFolder();
    ASSERT_EQ(Install(StoredPackage(archive)), 0) << "stored, with no sink";
    EXPECT_EQ(ReadFileText(installFolder + "Quorvalent.exe"), "new program");

    // A program entry already named Quorvalent.exe is not removed by its own hand-over.
    ResetInstallFolder();
    ASSERT_EQ(Install(StoredPackage(ProgramArchive("Quorvalent.exe"))), 0);
    EXPECT_EQ(ReadFileText(installFolder + "Quorvalent.exe"), "new program");
    EXPECT_EQ(std::string(theApp.m_szExecutablePath), installFolder + "Quorvalent.exe");
}

TEST_F(PackageJobTest, DiskSpaceBoundaryIsFiveMebibytes)
{
    struct Case {
        uint64_t available;
        ErrorCode expected;
    } cases[] = {{5242879, kErrorConnection}, {5242880, 0}};
    for (const Case& c : cases) {
        ResetInstallFolder();
        freeSpaceAnswer = c.available;
        ProgressRecorder sink;
        EXPECT_EQ(Install(CompressedPackage(ProgramArchive()), &sink), c.expected) << c.available;
        EXPECT_EQ(Exists(installFolder + "Quorvalent.exe"), c.expected == 0) << c.available;
        if (c.expected != 0) {
            EXPECT_TRUE(sink.calls.empty()) << "refused before anything is decompressed";
        }
    }
}

TEST(PackageJob, LoadPackageRefusesBlocksShorterThanTheHeaderSays)
{
    std::vector<uint8_t> stored = StoredPackage(ArchiveBuilder().File("a", "abc", 1).End());
    std::vector<uint8_t> compressed = CompressedPackage(ArchiveBuilder().File("a", "abc", 1).End());
    std::vector<uint8_t> trailing = stored;
    trailing[15] = 4;  // trailing size 4, not present
    std::vector<uint8_t> trailingPresent = trailing;
    trailingPresent.insert(trailingPresent.end(), 4, 0xAA);
    std::vector<uint8_t> sizesWrap = compressed;
    sizesWrap[12] = sizesWrap[13] = sizesWrap[14] = sizesWrap[15] = 0xFF;  // compressed + trailing wraps
    struct Case {
        const char* label;
        const std::vector<uint8_t>* bytes;
        uint32_t length;
        ErrorCode expected;
    } cases[] = {
        {"stored, whole", &stored, uint32_t(stored.size()), 0},
        {"compressed, whole", &compressed, uint32_t(compressed.size()), 0},
        {"no bytes", &stored, 0, kErrorMalformed},
        {"15 bytes", &stored, 15, kErrorMalformed},
        {"header only", &stored, 16, kErrorMalformed},
        {"stored, one byte short", &stored, uint32_t(stored.size() - 1), kErrorMalformed},
        {"compressed, one byte short", &compressed, uint32_t(compressed.size() - 1), kErrorMalformed},
        {"trailing bytes missing", &trailing, uint32_t(trailing.size()), kErrorMalformed},
        {"trailing bytes present", &trailingPresent, uint32_t(trailingPresent.size()), 0},
        {"sizes that wrap", &sizesWrap, uint32_t(sizesWrap.size()), kErrorMalformed},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LoadOutcome(*c.bytes, c.length), c.expected) << c.label;
    PackageJob job(nullptr);
    EXPECT_THROW(job.LoadPackage(stored.data(), uint32_t(stored.size()), 2), ErrorCode) << "package number";
}

TEST_F(PackageJobTest, FailuresAfterLoadingEndTheInstallWithMalformed)
{
    std::vector<uint8_t> corrupt = CompressedPackage(ProgramArchive());
    corrupt[kPackageHeaderSize + 20] ^= 0x55;
    struct Case {
        const char* label;
        std::vector<uint8_t> package;
    } cases[] = {
        {"scrambled body", CompressedPackage(ProgramArchive(), 1, kPackageFlagScrambled)},
        {"corrupt LZMA data", corrupt},
        {"no program entry", StoredPackage(ArchiveBuilder().File("Quorvalent.new.exe", "p").End())},
        {"program entry is a folder", StoredPackage(ArchiveBuilder().Folder("Quorvalent.new.exe", 1).End())},
        {"malformed archive", StoredPackage(ArchiveBuilder().File("..\\x", "p", 1).End())},
    };
    for (const Case& c : cases) {
        ResetInstallFolder();
        EXPECT_EQ(Install(c.package), kErrorMalformed) << c.label;
        EXPECT_FALSE(Exists(installFolder + "Quorvalent.exe")) << c.label;
        EXPECT_STREQ(theApp.m_szExecutablePath, "") << c.label;
    }
    PackageJob empty(nullptr);
    EXPECT_THROW(empty.Install(), ErrorCode) << "nothing loaded";
}

TEST_F(PackageJobTest, HandOverThatFailsFailsTheInstall)
{
    // The program "p" fits a Windows path; its final name, 13 bytes longer, does not.
    std::string deep(262 - 15 - installFolder.size(), 'd');
    std::vector<uint8_t> archive = ArchiveBuilder().Folder(deep).File(deep + "\\p", "new program", 1).End();
    ASSERT_LT(installFolder.size() + deep.size() + 2, 260u);
    ASSERT_GE(installFolder.size() + deep.size() + 15, 260u);
    EXPECT_EQ(Install(StoredPackage(archive)), kErrorMalformed);
    EXPECT_STREQ(theApp.m_szExecutablePath, "");
    // Extraction went through; the hand-over failed (the move, or recording the path).
    // (Long ANSI paths do not resolve under Wine, so the folder is listed.)
    EXPECT_EQ(ListNames(installFolder + deep + "\\").size(), 1u);

    // An old program that cannot be replaced stays, and is not recorded as the new one.
    ResetInstallFolder();
    const std::string old = installFolder + "Quorvalent.exe";
    ASSERT_TRUE(WriteFileText(old, "old program"));
    HANDLE locked = CreateFileA(old.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Install(StoredPackage(ProgramArchive())), kErrorMalformed);
    CloseHandle(locked);
    EXPECT_EQ(ReadFileText(old), "old program");
    EXPECT_STREQ(theApp.m_szExecutablePath, "");
}
