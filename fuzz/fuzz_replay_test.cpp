#include "tests/support/gtest.h"

#include "fuzz/fuzz_target.h"
#include "tests/support/test_env.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

// Mutations per target and run; scripts/fuzz does the real searching.
const int kMutations = 300;

std::string RegressionFolder(const char* target)
{
    const char* source = std::getenv("QV_SOURCE_DIR");
    std::string path = std::string("Z:") + (source ? source : ".") + "/fuzz/regressions/" + target + "/";
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// One of the fuzzer's own kinds of change: a byte flipped or set to an edge
// value, bytes inserted or removed, the input cut short, or a stretch
// repeated.
std::string Mutate(std::string input, std::mt19937& random)
{
    int changes = 1 + int(random() % 4);
    for (int i = 0; i < changes; ++i) {
        size_t at = input.empty() ? 0 : random() % input.size();
        switch (random() % 6) {
            case 0:
                if (!input.empty())
                    input[at] = char(input[at] ^ (1 << (random() % 8)));
                break;
            case 1: {
                static const char edges[] = {0, 1, 0x7F, char(0x80), char(0xFF), '\n', '\r', '\\', '.'};
                if (!input.empty())
                    input[at] = edges[random() % sizeof edges];
                break;
            }
            case 2:
                input.insert(at, 1 + random() % 8, char(random()));
                break;
            case 3:
                input.erase(at, 1 + random() % 8);
                break;
            case 4:
                input.resize(at);
                break;
            default:
                input.insert(at, input.substr(at, 1 + random() % 32));
                break;
        }
    }
    return input;
}

void RunInput(const FuzzTarget& target, const std::string& input)
{
    target.run(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

}  // namespace

// Every target over the inputs that once found a fault (kept in
// fuzz/regressions/<target>/), its seeds and seeded mutations of them,
// so that the sanitizers of the asan preset watch the code the fuzzer drove.
TEST(FuzzReplay, EveryTargetTakesRegressionsSeedsAndMutations)
{
    const char* given = std::getenv("QV_FUZZ_SEED");
    // A fixed seed, so that a failure repeats; scripts/fuzz explores further.
    uint32_t seed = given ? uint32_t(std::strtoul(given, nullptr, 10)) : 1;
    std::printf("mutation seed %u (QV_FUZZ_SEED=%u repeats this run)\n", seed, seed);
    for (const FuzzTarget* target = kFuzzTargets; target->name; ++target) {
        SCOPED_TRACE(target->name);
        std::string folder = RegressionFolder(target->name);
        for (const std::string& name : ListNames(folder))
            RunInput(*target, ReadWholeFile(folder + name).bytes);
        std::vector<std::string> seeds;
        target->seeds(seeds);
        ASSERT_FALSE(seeds.empty());
        std::mt19937 random(seed);
        for (const std::string& input : seeds) RunInput(*target, input);
        for (int i = 0; i < kMutations; ++i)
            RunInput(*target, Mutate(seeds[random() % seeds.size()], random));
    }
}
