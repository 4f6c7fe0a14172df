// The parsers' fuzz targets, shared by the libFuzzer program (fuzz_main.cpp,
// built with clang) and the replay test of the ordinary test program. A
// target takes any bytes, must not crash or break its stated invariant
// (FUZZ_EXPECT aborts with a message) and leaves no state that changes the
// next run's behaviour.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct FuzzTarget {
    const char* name;
    void (*run)(const uint8_t* data, size_t size);
    // Seed inputs made with the project's own writers.
    void (*seeds)(std::vector<std::string>& out);
};

// Every target, in one table (fuzz_targets.cpp); null-terminated.
extern const FuzzTarget kFuzzTargets[];
const FuzzTarget* FindFuzzTarget(const char* name);

// Aborts with the failed condition: the fuzzer keeps the input as a crash.
[[noreturn]] void FuzzFailed(const char* target, const char* condition);
#define FUZZ_EXPECT(target, condition) ((condition) ? (void)0 : FuzzFailed(target, #condition))

// Each target's functions (one file per target).
#define DECLARE_FUZZ_TARGET(id)                      \
    void Fuzz##id(const uint8_t* data, size_t size); \
    void Seed##id(std::vector<std::string>& out)
DECLARE_FUZZ_TARGET(PackageHeader);
DECLARE_FUZZ_TARGET(Archive);
DECLARE_FUZZ_TARGET(DownloadState);
DECLARE_FUZZ_TARGET(ProxiesRecord);
DECLARE_FUZZ_TARGET(HttpResponse);
DECLARE_FUZZ_TARGET(SocksReply);
DECLARE_FUZZ_TARGET(ServiceExchange);
DECLARE_FUZZ_TARGET(IconList);
DECLARE_FUZZ_TARGET(PackageSignature);
DECLARE_FUZZ_TARGET(LzmaPieces);

// Big-endian words for the seed writers.
std::string FuzzWord(uint32_t value);
