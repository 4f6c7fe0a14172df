// ExtractArchive into a scratch installation folder. Beside it lies a folder
// that no entry may reach, with a sentinel file in it; it is also the current
// folder, so a name resolved against the current folder rather than the
// installation folder would reach it too.
#include "fuzz/archive_seeds.h"
#include "fuzz/fuzz_target.h"
#include "tests/package/package_helpers.h"

#include "base/error_code.h"
#include "package/archive_extract.h"
#include "package/delete_tree.h"
#include "package/folder_list.h"
#include "base/memory_stream.h"
#include "package/package_format.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <windows.h>

namespace {

const char kSentinelText[] = "outside the installation folder";

struct Scratch {
    std::string root;
    std::string base;
    std::string outside;
    std::string sentinel;
};

const Scratch& ScratchFolders()
{
    static Scratch scratch = [] {
        Scratch s;
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        s.root = std::string(temp) + "qv-fuzz-archive-" + std::to_string(GetCurrentProcessId()) + "\\";
        s.base = s.root + "base\\";
        s.outside = s.root + "outside\\";
        s.sentinel = s.outside + "sentinel.txt";
        CreateDirectoryA(s.root.c_str(), nullptr);
        CreateDirectoryA(s.outside.c_str(), nullptr);
        return s;
    }();
    return scratch;
}

void WriteSentinel(const Scratch& s) { testing_package::WriteFileText(s.sentinel, kSentinelText); }

bool SentinelIntact(const Scratch& s) { return testing_package::ReadFileText(s.sentinel) == kSentinelText; }

// Every entry of the folders beside the installation folder is expected.
bool OnlyExpectedNames(const Scratch& s)
{
    std::vector<std::string> root = testing_package::ListNames(s.root);
    for (const std::string& name : root)
        if (name != "base" && name != "outside")
            return false;
    std::vector<std::string> outside = testing_package::ListNames(s.outside);
    return outside.size() == 1 && outside[0] == "sentinel.txt";
}

}  // namespace

void FuzzArchive(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return;
    const Scratch& s = ScratchFolders();
    DeleteTree(s.base.c_str());
    CreateDirectoryA(s.base.c_str(), nullptr);
    WriteSentinel(s);
    SetCurrentDirectoryA(s.outside.c_str());

    std::vector<uint8_t> bytes(data, data + size);
    MemoryStream stream;
    stream.Attach(bytes.data(), static_cast<uint32_t>(bytes.size()));
    FolderList folders;
    ExtractionResult result;
    try {
        ExtractArchive(stream, s.base.c_str(), folders, &result);
        FUZZ_EXPECT("archive", folders.GetCount() == 0);
        size_t baseLength = s.base.size();
        FUZZ_EXPECT("archive", result.programPath[0] == '\0' ||
                                   std::strncmp(result.programPath, s.base.c_str(), baseLength) == 0);
    } catch (ErrorCode code) {
        FUZZ_EXPECT("archive", code == kErrorMalformed);
    }
    FUZZ_EXPECT("archive", SentinelIntact(s));
    FUZZ_EXPECT("archive", OnlyExpectedNames(s));
}

void SeedArchive(std::vector<std::string>& out) { out.push_back(SeedArchiveBytes()); }

std::string SeedArchiveBytes()
{
    MemoryStream stream;
    WriteArchiveHeader(stream, 1, 2);
    ArchiveEntry folder = {kEntryFolder, kEntryFlagReplaceFolder, 1000000000, 999999999, 0};
    WriteArchiveEntry(stream, folder, "docs");
    const char readme[] = "Read me.\r\n";
    ArchiveEntry file = {kEntryFile, 0, 5, 6, sizeof readme - 1};
    WriteArchiveEntry(stream, file, "docs\\readme.txt");
    stream.Write(readme, file.dataSize);
    ArchiveEntry program = {kEntryFile, kEntryFlagProgram, 7, 8, 2};
    WriteArchiveEntry(stream, program, "Quorvalent.new.exe");
    stream.Write("MZ", 2);
    ArchiveEntry gone = {kEntryDelete, 0, 0, 0, 0};
    WriteArchiveEntry(stream, gone, "gone.txt");
    ArchiveEntry odd = {9, 0, 0, 0, 0};
    WriteArchiveEntry(stream, odd, "whatever");
    stream.WriteU8(kEntryEnd);
    return std::string(reinterpret_cast<const char*>(stream.GetBuffer()), stream.GetSize());
}

std::string SeedStoredPackage(const std::string& archive, uint16_t number, uint32_t trailing)
{
    PackageHeader header = {0, number, uint32_t(archive.size()), uint32_t(archive.size()), trailing};
    uint8_t bytes[kPackageHeaderSize];
    EncodePackageHeader(header, bytes);
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes) + archive +
           std::string(trailing, 'T');
}
