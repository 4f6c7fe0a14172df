#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "base/error_code.h"
#include "base/folders.h"
#include "package/delete_tree.h"
#include "package/package_job.h"
#include "package/package_trust.h"
#include "tests/support/data_rows.h"
#include "tests/support/package_builder.h"
#include "tests/support/test_env.h"

using namespace testing_package;

// The cases of tests/data/packages.txt, then a package whose program's final
// name does not fit a path: each installed over an older program from an
// empty folder.
TEST(PackageJob, InstallsWholePackagesOnlyAndLeavesTheOlderProgramOtherwise)
{
    char folder[kInstallPathSize];
    ASSERT_TRUE(GetInstallFolder(folder, sizeof folder));
    const std::string install = folder, product = install.substr(0, install.size() - 11);
    // The program "p" fits a Windows path; its final name, 13 bytes longer, does not.
    const std::string deep(262 - 15 - install.size(), 'd');
    std::vector<DataRow> cases = ReadDataRows("packages.txt");
    cases.push_back({"final name does not fit", "-", "-3", "I"});
    ASSERT_GE(cases.size(), 40u);
    static uint64_t freeSpace;
    SetFreeDiskSpaceQuery([](const char*) { return freeSpace; });
    for (const std::vector<std::string>& c : cases) {
        const std::string package =
            c[0] == "final name does not fit"
                ? Text(
                      StoredPackage(ArchiveBuilder().Folder(deep).File(deep + "\\p", "new program", 1).End()))
                : DataFile(c[0]);
        freeSpace = c.at(1).compare(0, 5, "free ") == 0 ? std::stoull(c[1].substr(5)) : 1ULL << 40;
        DeleteTree(product.c_str());
        ASSERT_TRUE(GetInstallFolder(folder, sizeof folder) &&
                    WriteWholeFile(install + "Quorvalent.exe", "old"));
        SetExecutablePath("");
        HANDLE old = c[1] == "locked" ? CreateFileA((install + "Quorvalent.exe").c_str(), GENERIC_READ, 0,
                                                    nullptr, OPEN_EXISTING, 0, nullptr)
                                      : INVALID_HANDLE_VALUE;
        ProgressRecorder sink;
        PackageJob job(&sink);
        job.trust = &kNoSignatureCheck;  // the stages after the check (package_signature_test.cpp)
        ErrorCode code = ThrownCode([&] {
            job.LoadPackage(reinterpret_cast<const uint8_t*>(package.data()), uint32_t(package.size()), 1);
            job.Install();
        });
        if (old != INVALID_HANDLE_VALUE)
            CloseHandle(old);
        // The result, the reports, the program file and the path recorded for
        // it, and whether anything was written outside the folder.
        std::string outcome = std::to_string(code) + " |", expected = c.at(2) + " |";
        for (const std::string& call : sink.calls) outcome += " " + call + ";";
        for (char stage : c.at(3))
            expected += stage == 'D'   ? " status Decompressing update...; 0/0 1;"
                        : stage == 'I' ? " status Installing update...; 0/0 1;"
                                       : "";
        outcome += ReadWholeFile(install + "Quorvalent.exe").bytes == "old" ? " kept | " : " replaced | ";
        expected += c[2] != "0" ? " kept | " : " replaced | " + install + "Quorvalent.exe";
        outcome += theApp.m_szExecutablePath;
        if (ListNames(product) != std::vector<std::string>{"Quorvalent"} || FileExists("C:\\evil.txt"))
            outcome += " | written outside the installation folder";
        EXPECT_EQ(outcome, expected) << c[0] << " | " << c[1];
    }
    SetFreeDiskSpaceQuery(nullptr);
    // The last case failed in its hand-over, not before: its files are there.
    EXPECT_EQ(ListNames(install + deep + "\\").size(), 1u);
    EXPECT_EQ(ThrownCode([] { PackageJob(nullptr).Install(); }), kErrorMalformed) << "nothing loaded";
}
