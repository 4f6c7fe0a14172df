// The signature block and the verification path: a package from memory
// checked against a key of the target's own by LoadPackage, and the same
// bytes given to a verifier in pieces whose size the input's last byte
// chooses, as a download hands them over. Both must reach the same verdict,
// and nothing but -3 may come of a refusal.
#include "fuzz/archive_seeds.h"
#include "fuzz/fuzz_target.h"

#include "base/error_code.h"
#include "package/package_format.h"
#include "package/package_job.h"
#include "tools/pack/package_signer.h"

#include <algorithm>

namespace {

const uint8_t kFuzzSeed[32] = {0xF0, 0x22};

const PackageTrust& FuzzTrust()
{
    static TrustedKey key;
    static bool made = false;
    if (!made)
        PublicKeyOfSeed(kFuzzSeed, key.publicKey);
    made = true;
    static const PackageTrust trust = {true, &key, 1, 0};
    return trust;
}

SignatureCheck CheckInPieces(const uint8_t* data, size_t size, const PackageHeader& header)
{
    PackageVerifier verifier;
    verifier.Begin(data, header.compressedSize, header.trailingSize);
    const size_t piece = 1 + data[size - 1] % 251;
    for (size_t at = kPackageHeaderSize; at < size; at += piece)
        verifier.Add(data + at, uint32_t(std::min(piece, size - at)));
    return verifier.Finish(FuzzTrust());
}

}  // namespace

void FuzzPackageSignature(const uint8_t* data, size_t size)
{
    if (size < kPackageHeaderSize || size > (4u << 20))
        return;
    const uint32_t number = uint32_t(data[2]) << 8 | data[3];
    PackageJob job(nullptr);
    job.trust = &FuzzTrust();
    ErrorCode code = 0;
    try {
        job.LoadPackage(data, uint32_t(size), number);
    } catch (ErrorCode thrown) {
        code = thrown;
    }
    FUZZ_EXPECT("package-signature", code == 0 || code == kErrorMalformed);
    PackageHeader header;
    try {
        ParsePackageHeader(data, number, &header);
    } catch (ErrorCode) {
        FUZZ_EXPECT("package-signature", code == kErrorMalformed);
        return;
    }
    if (uint64_t(header.compressedSize) + header.trailingSize > size - kPackageHeaderSize) {
        FUZZ_EXPECT("package-signature", code == kErrorMalformed);
        return;
    }
    // Every other refusal of LoadPackage comes after the check, and only
    // for an allocation that fails.
    FUZZ_EXPECT("package-signature", (CheckInPieces(data, size, header) == kSignatureValid) == (code == 0));
}

void SeedPackageSignature(std::vector<std::string>& out)
{
    const std::string archive = SeedArchiveBytes();
    for (uint32_t trailing : {0u, 5u}) {
        const std::string stored = SeedStoredPackage(archive, 3, trailing);
        std::vector<uint8_t> package(stored.begin(), stored.end());
        std::string error;
        out.push_back(testing_package::Text(package));  // the test key's signature: unknown here
        if (SignPackage(&package, kFuzzSeed, &error))
            out.push_back(testing_package::Text(package));
    }
}
