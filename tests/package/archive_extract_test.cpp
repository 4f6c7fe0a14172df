#include "tests/support/gtest.h"

#include "base/error_code.h"
#include "base/folders.h"
#include "package/archive_extract.h"
#include "package/delete_tree.h"
#include "tests/support/data_rows.h"
#include "tests/support/package_builder.h"
#include "tests/support/test_env.h"

using namespace testing_package;

namespace {

// The last-write time of a file or folder in Unix seconds; INT64_MIN when it
// cannot be read.
int64_t ModificationTime(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    FILETIME written;
    bool read = file != INVALID_HANDLE_VALUE && GetFileTime(file, nullptr, nullptr, &written);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (!read)
        return INT64_MIN;
    int64_t since1970 =
        int64_t((uint64_t(written.dwHighDateTime) << 32) | written.dwLowDateTime) - 116444736000000000LL;
    // Whole seconds rounded down, also before 1970.
    return since1970 >= 0 ? since1970 / 10000000 : -((-since1970 + 9999999) / 10000000);
}

ErrorCode Extract(const std::string& folder, std::vector<uint8_t> archive, ExtractionResult* result)
{
    MemoryStream stream;
    stream.Attach(archive.data(), uint32_t(archive.size()));
    return ThrownCode([&] { ExtractArchive(stream, folder.c_str(), result); });
}

}  // namespace

// The cases of tests/data/extract, one a file: the files there before, the
// archive's entries, and what must come of them (tests/data/README.md).
// Malformed archives inside whole packages are the package corpus.
TEST(ExtractArchive, WritesItsEntriesInsideTheFolderAndFailsAtEveryCut)
{
    std::vector<std::string> names = ListNames(WindowsPath(SourceDir() + "/tests/data/extract/"));
    ASSERT_GE(names.size(), 2u);
    for (const std::string& name : names) {
        const std::string base = ScratchFolder(name + "\\inst"), current = ScratchFolder(name + "\\current");
        const std::vector<DataRow> rows = ReadDataRows("extract/" + name);
        ArchiveBuilder builder;
        std::vector<std::vector<std::string>> expected, outcome;
        for (const std::vector<std::string>& r : rows) {
            auto number = [&](size_t at) { return r.size() > at ? uint32_t(std::stoul(r[at])) : 0u; };
            if (r[0] == "before") {
                ScratchFolder(name + "\\inst\\" + r.at(1).substr(0, r[1].rfind('\\') + 1));
                ASSERT_TRUE(WriteWholeFile(base + r[1], r.at(2))) << name << ": " << r[1];
            } else if (r[0] == "file")
                builder.File(r.at(1), r.at(2), uint8_t(number(3)), number(4));
            else if (r[0] == "folder")
                builder.Folder(r.at(1), uint8_t(number(2)), number(3));
            else if (r[0] == "delete")
                builder.Entry(kEntryDelete, r.at(1));
            else if (r[0].compare(0, 6, "entry ") == 0)
                builder.Entry(uint8_t(std::stoul(r[0].substr(6))), r.at(1), uint8_t(number(2)));
            else
                expected.push_back(r);
        }
        std::vector<uint8_t> archive = builder.Bytes();
        ExtractionResult result;
        const std::string cut = ScratchFolder(name + "\\cut");
        for (size_t length = 0; length <= archive.size(); ++length)
            EXPECT_EQ(Extract(cut, {archive.begin(), archive.begin() + length}, &result), kErrorMalformed)
                << name << " cut at " << length;
        archive.insert(archive.end(), {kEntryEnd, 0xEE});  // nothing after the end entry is read
        char saved[MAX_PATH];
        GetCurrentDirectoryA(sizeof saved, saved);
        SetCurrentDirectoryA(current.c_str());
        const ErrorCode code = Extract(base, archive, &result);
        SetCurrentDirectoryA(saved);
        const std::string program = result.programPath[0] ? result.programPath + base.size() : "none";
        for (const std::vector<std::string>& r : rows) {
            if (r[0] == "result" || r[0] == "program")
                outcome.push_back({r[0], r[0] == "result" ? std::to_string(code) : program});
            if (r[0] != "after")
                continue;
            const FileBytes file = ReadWholeFile(base + r.at(1));
            const bool folder = FileExists((base + r[1]).c_str());
            outcome.push_back({"after", r[1], file.found ? file.bytes : folder ? "folder" : "none"});
            if (r.size() > 3)
                outcome.back().push_back(std::to_string(ModificationTime(base + r[1])));
        }
        EXPECT_EQ(outcome, expected) << name;
    }
    EXPECT_EQ(DeleteTree(""), -1);
    EXPECT_EQ(DeleteTree(nullptr), -1);
    EXPECT_EQ(DeleteTree(std::string(1027, 'a').c_str()), -1) << "longer than its buffer";
}
