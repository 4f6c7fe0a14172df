#include "tools/pack/package_signer.h"

#include "base/byte_order.h"
#include "base/error_code.h"
#include "package/package_format.h"
#include "package/package_job.h"
#include "tools/pack/key_files.h"

#include <sodium.h>

#include <cstring>

namespace {

// The header of a file that holds exactly one package.
bool ReadWholeHeader(const std::vector<uint8_t>& package, PackageHeader* header, std::string* error)
{
    try {
        if (package.size() < kPackageHeaderSize)
            throw kErrorMalformed;
        ParsePackageHeader(package.data(), uint32_t((package[2] << 8) | package[3]), header);
    } catch (ErrorCode) {
        *error = "not a package (header)";
        return false;
    }
    if (uint64_t(header->compressedSize) + header->trailingSize != package.size() - kPackageHeaderSize) {
        *error = "the file's length differs from the length its header states";
        return false;
    }
    return true;
}

// The block ends the trailing bytes and is not absent.
bool HasBlock(const std::vector<uint8_t>& package, const PackageHeader& header)
{
    SignatureBlock block;
    return header.trailingSize >= kSignatureBlockSize &&
           DecodeSignatureBlock(package.data() + package.size() - kSignatureBlockSize, &block) !=
               kBlockAbsent;
}

}  // namespace

void PublicKeyOfSeed(const uint8_t* seed, uint8_t* publicKey)
{
    uint8_t secretKey[crypto_sign_SECRETKEYBYTES];
    crypto_sign_seed_keypair(publicKey, secretKey, seed);
    sodium_memzero(secretKey, sizeof secretKey);
}

bool SignPackage(std::vector<uint8_t>* package, const uint8_t* seed, std::string* error)
{
    PackageHeader header;
    if (!ReadWholeHeader(*package, &header, error))
        return false;
    if (!HasBlock(*package, header)) {
        if (uint64_t(header.compressedSize) + header.trailingSize + kSignatureBlockSize >
            PackageJob::kMaximumBodySize) {
            *error = "the package would be too large with a signature block";
            return false;
        }
        header.trailingSize += kSignatureBlockSize;
        StoreBigEndian32(package->data() + 12, header.trailingSize);
        package->resize(package->size() + kSignatureBlockSize);
    }
    uint8_t publicKey[crypto_sign_PUBLICKEYBYTES];
    uint8_t secretKey[crypto_sign_SECRETKEYBYTES];
    crypto_sign_seed_keypair(publicKey, secretKey, seed);
    const size_t signedLength = package->size() - kSignatureBlockSize;
    crypto_sign_ed25519ph_state state;
    crypto_sign_ed25519ph_init(&state);
    crypto_sign_ed25519ph_update(&state, package->data(), signedLength);
    SignatureBlock block;
    block.algorithm = kSignatureAlgorithmEd25519ph;
    DeriveKeyId(publicKey, block.keyId);
    crypto_sign_ed25519ph_final_create(&state, block.signature, nullptr, secretKey);
    sodium_memzero(secretKey, sizeof secretKey);
    EncodeSignatureBlock(block, package->data() + signedLength);
    return true;
}

bool CheckPackageSignature(const std::vector<uint8_t>& package, const PackageTrust& trust,
                           SignatureCheck* check, std::string* error)
{
    PackageHeader header;
    if (!ReadWholeHeader(package, &header, error))
        return false;
    PackageVerifier verifier;
    verifier.Begin(package.data(), header.compressedSize, header.trailingSize);
    verifier.Add(package.data() + kPackageHeaderSize, uint32_t(package.size() - kPackageHeaderSize));
    *check = verifier.Finish(trust);
    return true;
}

std::string DescribeSignatureBlock(const std::vector<uint8_t>& package)
{
    PackageHeader header;
    std::string error;
    if (!ReadWholeHeader(package, &header, &error))
        return "signature: none (" + error + ")";
    if (header.trailingSize < kSignatureBlockSize)
        return "signature: none (the trailing bytes cannot hold a block)";
    SignatureBlock block;
    switch (DecodeSignatureBlock(package.data() + package.size() - kSignatureBlockSize, &block)) {
        case kBlockAbsent:
            return "signature: none";
        case kBlockUnsupported:
            return "signature: a block of an unknown version or algorithm";
        case kBlockPresent:
            break;
    }
    return "signature: Ed25519ph, key id " + FormatKeyId(block.keyId);
}
