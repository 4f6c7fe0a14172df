// ExtractArchive into a scratch installation folder. Beside it lies a folder
// that no entry may reach, with a sentinel file in it; it is also the current
// folder, so a name resolved against the current folder rather than the
// installation folder would reach it too.
#include "fuzz/archive_seeds.h"
#include "fuzz/fuzz_target.h"
#include "tests/support/test_env.h"

#include "base/error_code.h"
#include "base/memory_stream.h"
#include "package/archive_extract.h"
#include "package/delete_tree.h"

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

void WriteSentinel(const Scratch& s) { WriteWholeFile(s.sentinel, kSentinelText); }

bool SentinelIntact(const Scratch& s) { return ReadWholeFile(s.sentinel).bytes == kSentinelText; }

// Every entry of the folders beside the installation folder is expected.
bool OnlyExpectedNames(const Scratch& s)
{
    std::vector<std::string> root = ListNames(s.root);
    for (const std::string& name : root)
        if (name != "base" && name != "outside")
            return false;
    std::vector<std::string> outside = ListNames(s.outside);
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
    ExtractionResult result;
    try {
        ExtractArchive(stream, s.base.c_str(), &result);
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
