#include "fuzz/fuzz_target.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

// One line per target: the name is the one scripts/fuzz and the replay test
// use, and the folder of its regression inputs (fuzz/regressions/<name>).
const FuzzTarget kFuzzTargets[] = {
    {"package-header", FuzzPackageHeader, SeedPackageHeader},
    {"archive", FuzzArchive, SeedArchive},
    {"download-state", FuzzDownloadState, SeedDownloadState},
    {"proxies-record", FuzzProxiesRecord, SeedProxiesRecord},
    {"http-response", FuzzHttpResponse, SeedHttpResponse},
    {"socks-reply", FuzzSocksReply, SeedSocksReply},
    {"service-exchange", FuzzServiceExchange, SeedServiceExchange},
    {"icon-list", FuzzIconList, SeedIconList},
    {"package-signature", FuzzPackageSignature, SeedPackageSignature},
    {"lzma-pieces", FuzzLzmaPieces, SeedLzmaPieces},
    {nullptr, nullptr, nullptr},
};

const FuzzTarget* FindFuzzTarget(const char* name)
{
    for (const FuzzTarget* target = kFuzzTargets; name && target->name; ++target)
        if (std::strcmp(target->name, name) == 0)
            return target;
    return nullptr;
}

void FuzzFailed(const char* target, const char* condition)
{
    std::fprintf(stderr, "fuzz target %s: expectation failed: %s\n", target, condition);
    std::fflush(stderr);
    std::abort();
}

std::string FuzzWord(uint32_t value)
{
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}
