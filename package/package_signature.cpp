#include "package/package_signature.h"

#include <sodium/crypto_hash_sha512.h>

#include <cstring>

namespace {

const uint32_t kVersionOffset = 4;
const uint32_t kAlgorithmOffset = 5;
const uint32_t kKeyIdOffset = 6;
const uint32_t kSignatureOffset = kKeyIdOffset + kKeyIdSize;
static_assert(kSignatureOffset + kSignatureSize == kSignatureBlockSize, "the block's fields fill it");

}  // namespace

SignatureBlockKind DecodeSignatureBlock(const uint8_t* bytes, SignatureBlock* block)
{
    if (std::memcmp(bytes, kSignatureMagic, sizeof kSignatureMagic) != 0)
        return kBlockAbsent;
    if (bytes[kVersionOffset] != kSignatureBlockVersion ||
        bytes[kAlgorithmOffset] != kSignatureAlgorithmEd25519ph)
        return kBlockUnsupported;
    block->algorithm = bytes[kAlgorithmOffset];
    std::memcpy(block->keyId, bytes + kKeyIdOffset, kKeyIdSize);
    std::memcpy(block->signature, bytes + kSignatureOffset, kSignatureSize);
    return kBlockPresent;
}

void EncodeSignatureBlock(const SignatureBlock& block, uint8_t* bytes)
{
    std::memcpy(bytes, kSignatureMagic, sizeof kSignatureMagic);
    bytes[kVersionOffset] = kSignatureBlockVersion;
    bytes[kAlgorithmOffset] = block.algorithm;
    std::memcpy(bytes + kKeyIdOffset, block.keyId, kKeyIdSize);
    std::memcpy(bytes + kSignatureOffset, block.signature, kSignatureSize);
}

bool SignedBodyLength(uint32_t compressedSize, uint32_t trailingSize, uint32_t* length)
{
    if (trailingSize < kSignatureBlockSize)
        return false;
    uint64_t signedLength = uint64_t(compressedSize) + (trailingSize - kSignatureBlockSize);
    if (signedLength > UINT32_MAX)
        return false;
    *length = uint32_t(signedLength);
    return true;
}

void DeriveKeyId(const uint8_t* publicKey, uint8_t* keyId)
{
    uint8_t digest[crypto_hash_sha512_BYTES];
    crypto_hash_sha512(digest, publicKey, kPublicKeySize);
    std::memcpy(keyId, digest, kKeyIdSize);
}
