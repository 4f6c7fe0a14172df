// The libFuzzer program: QV_FUZZ_TARGET names the target that every input
// goes to. With QV_FUZZ_SEEDS set to a folder (the corpus), the program
// first writes that target's seed inputs there.
#include "fuzz/fuzz_target.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const FuzzTarget* g_target = nullptr;

void WriteSeeds(const FuzzTarget& target, const char* folder)
{
    std::vector<std::string> seeds;
    target.seeds(seeds);
    for (size_t i = 0; i < seeds.size(); ++i) {
        std::string path = std::string(folder) + "/seed-" + std::to_string(i);
        FILE* file = std::fopen(path.c_str(), "wb");
        if (!file || std::fwrite(seeds[i].data(), 1, seeds[i].size(), file) != seeds[i].size())
            std::exit(1);
        std::fclose(file);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_target = FindFuzzTarget(std::getenv("QV_FUZZ_TARGET"));
    if (!g_target) {
        std::fprintf(stderr, "QV_FUZZ_TARGET names none of the targets:");
        for (const FuzzTarget* target = kFuzzTargets; target->name; ++target)
            std::fprintf(stderr, " %s", target->name);
        std::fprintf(stderr, "\n");
        std::exit(2);
    }
    if (const char* folder = std::getenv("QV_FUZZ_SEEDS"))
        WriteSeeds(*g_target, folder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    g_target->run(data, size);
    return 0;
}
