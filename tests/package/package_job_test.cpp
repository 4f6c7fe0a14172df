#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "base/error_code.h"
#include "base/folders.h"
#include "package/delete_tree.h"
#include "package/package_job.h"
#include "package/package_trust.h"
#include "tests/support/package_builder.h"
#include "tests/support/test_env.h"

#include <cstring>

using namespace testing_package;

namespace {

uint64_t freeSpace = 0;
uint64_t SteeredFreeSpace(const char*) { return freeSpace; }

std::vector<uint8_t> ProgramArchive(const std::string& name = "Quorvalent.new.exe")
{
    return ArchiveBuilder().Folder("data").File("data\\x.txt", "x").File(name, "new program", 1).End();
}

std::vector<uint8_t> Corpus(const char* name)
{
    std::string bytes = ReadWholeFile(WindowsPath(SourceDir() + "/tests/data/" + name)).bytes;
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace

// Each package is installed over an older program from an empty folder.
// Load and install stages report "D" (decompressing) and "I" (installing).
TEST(PackageJob, InstallsWholePackagesOnlyAndLeavesTheOlderProgramOtherwise)
{
    char folder[kInstallPathSize];
    ASSERT_TRUE(GetInstallFolder(folder, sizeof folder));
    const std::string install = folder, product = install.substr(0, install.size() - 11);
    const std::vector<uint8_t> stored = StoredPackage(ProgramArchive()),
                               compressed = CompressedPackage(ProgramArchive());
    auto cut = [](std::vector<uint8_t> bytes, size_t length) { return bytes.resize(length), bytes; };
    auto set = [](std::vector<uint8_t> bytes, size_t at, uint8_t value) { return bytes[at] = value, bytes; };
    std::vector<uint8_t> sizesWrap = compressed;  // compressed + trailing size wraps
    std::fill(sizesWrap.begin() + 12, sizesWrap.begin() + 16, 0xFF);
    // The program "p" fits a Windows path; its final name, 13 bytes longer, does not.
    const std::string deep(262 - 15 - install.size(), 'd');
    struct Case {
        const char* label;
        std::vector<uint8_t> package;
        ErrorCode expected;
        const char* stages;
        uint64_t available = 1ULL << 40;
        bool oldProgramLocked = false;
    };
    std::vector<Case> cases = {
        {"compressed", compressed, 0, "DI"},
        {"stored", stored, 0, "I"},
        {"trailing bytes", StoredPackage(ProgramArchive(), 1, 0, 4), 0, "I"},
        {"program entry named Quorvalent.exe", StoredPackage(ProgramArchive("Quorvalent.exe")), 0, "I"},
        {"5,242,880 bytes free", compressed, 0, "DI", 5242880},
        {"5,242,879 bytes free", compressed, kErrorConnection, "", 5242879},
        {"no bytes", {}, kErrorMalformed, ""},
        {"15 bytes", cut(stored, 15), kErrorMalformed, ""},
        {"header only", cut(stored, 16), kErrorMalformed, ""},
        {"stored, one byte short", cut(stored, stored.size() - 1), kErrorMalformed, ""},
        {"compressed, one byte short", cut(compressed, compressed.size() - 1), kErrorMalformed, ""},
        {"trailing bytes missing", set(stored, 15, stored[15] + 4), kErrorMalformed, ""},
        {"sizes that wrap", sizesWrap, kErrorMalformed, ""},
        {"version 2", set(stored, 0, 2), kErrorMalformed, ""},
        {"package number 2", set(stored, 3, 2), kErrorMalformed, ""},
        {"package number 0x0101", set(stored, 2, 1), kErrorMalformed, ""},
        {"archive size 0", set(stored, 7, 0), kErrorMalformed, ""},
        {"compressed size 0", set(stored, 11, 0), kErrorMalformed, ""},
        {"scrambled", CompressedPackage(ProgramArchive(), 1, kPackageFlagScrambled), kErrorMalformed, "D"},
        {"corrupt LZMA data", set(compressed, 40, compressed[40] ^ 0x55), kErrorMalformed, "D"},
        {"no program entry", StoredPackage(ArchiveBuilder().File("Quorvalent.new.exe", "p").End()),
         kErrorMalformed, "I"},
        {"program entry is a folder", StoredPackage(ArchiveBuilder().Folder("Quorvalent.new.exe", 1).End()),
         kErrorMalformed, "I"},
        {"malformed archive", StoredPackage(ArchiveBuilder().File("..\\x", "p", 1).End()), kErrorMalformed,
         "I"},
        {"older program locked", stored, kErrorMalformed, "I", 1ULL << 40, true},
        {"final name does not fit",
         StoredPackage(ArchiveBuilder().Folder(deep).File(deep + "\\p", "new program", 1).End()),
         kErrorMalformed, "I"},
    };
    // The named packages of tests/data (its README says what each holds) and their stages.
    for (const char* entry :
         {"good-lzma:DI", "good-lzma-no-end-marker:DI", "good-stored:I", "good-trailing-replace-delete:DI",
          "odd-unknown-entry-type:I", "odd-program-flag-twice:I", "bad-scrambled:D",
          "bad-version:", "bad-package-number:", "bad-header-short:", "bad-body-short:",
          "bad-lzma-truncated:", "bad-dotdot:I", "bad-drive-letter:I", "bad-absolute-name:I",
          "bad-long-name:I", "bad-missing-end:I", "bad-no-program:I", "bad-wrapping-size:I"}) {
        const char* stages = std::strchr(entry, ':') + 1;
        const std::string name = std::string(entry, stages - 1) + ".pkg";
        cases.insert(cases.end() - 1,
                     {entry, Corpus(name.c_str()), name[0] == 'b' ? kErrorMalformed : 0, stages});
    }
    SetFreeDiskSpaceQuery(SteeredFreeSpace);
    for (const Case& c : cases) {
        freeSpace = c.available;
        DeleteTree(product.c_str());
        ASSERT_TRUE(GetInstallFolder(folder, sizeof folder) &&
                    WriteWholeFile(install + "Quorvalent.exe", "old"));
        SetExecutablePath("");
        HANDLE old = c.oldProgramLocked ? CreateFileA((install + "Quorvalent.exe").c_str(), GENERIC_READ, 0,
                                                      nullptr, OPEN_EXISTING, 0, nullptr)
                                        : INVALID_HANDLE_VALUE;
        ProgressRecorder sink;
        PackageJob job(&sink);
        job.trust = &kNoSignatureCheck;  // the stages after the check (package_signature_test.cpp)
        ErrorCode code = ThrownCode([&] {
            job.LoadPackage(c.package.data(), uint32_t(c.package.size()), 1);
            job.Install();
        });
        if (old != INVALID_HANDLE_VALUE)
            CloseHandle(old);
        EXPECT_EQ(code, c.expected) << c.label;
        std::vector<std::string> reports;
        for (const char* stage = c.stages; *stage; ++stage)
            reports.insert(
                reports.end(),
                {*stage == 'D' ? "status Decompressing update..." : "status Installing update...", "0/0 1"});
        EXPECT_EQ(sink.calls, reports) << c.label;
        EXPECT_EQ(ReadWholeFile(install + "Quorvalent.exe").bytes != "old", c.expected == 0) << c.label;
        EXPECT_EQ(std::string(theApp.m_szExecutablePath), c.expected ? "" : install + "Quorvalent.exe")
            << c.label;
        EXPECT_FALSE(FileExists((install + "Quorvalent.new.exe").c_str()) && c.expected == 0) << c.label;
        EXPECT_EQ(ListNames(product), std::vector<std::string>{"Quorvalent"})
            << c.label << ": nothing outside";
        EXPECT_FALSE(FileExists("C:\\evil.txt")) << c.label;
        if (std::string(c.label) == "good-lzma:DI") {
            EXPECT_EQ(ModificationTime(install + "docs\\readme.txt"), -305121600) << "1960";
            EXPECT_EQ(ModificationTime(install + "docs\\old"), -1) << "a folder of 1969";
        }
    }
    SetFreeDiskSpaceQuery(nullptr);
    // The last case failed in its hand-over, not before: its files are there.
    EXPECT_EQ(ListNames(install + deep + "\\").size(), 1u);
    EXPECT_EQ(ThrownCode([] { PackageJob(nullptr).Install(); }), kErrorMalformed) << "nothing loaded";
}
