#include "package/package_verifier.h"

#include "package/package_format.h"

#include <cstring>

const char* DescribeSignatureCheck(SignatureCheck check)
{
    switch (check) {
        case kSignatureValid:
            return "signature valid";
        case kSignatureNoRoom:
            return "unsigned: the trailing bytes are too few to hold a signature block";
        case kSignatureMissing:
            return "unsigned: no signature block ends the trailing bytes";
        case kSignatureUnsupported:
            return "the signature block has an unknown version or algorithm";
        case kSignatureKeyUnknown:
            return "signed by a key that is not trusted";
        case kSignatureInvalid:
            return "the signature does not match the package (a changed byte, or a damaged block)";
        case kSignatureIncomplete:
            return "the package is shorter than its header states";
    }
    return "unknown";
}

PackageVerifier::PackageVerifier() : hasRoom(false), signedLength(0), bodyLength(0), given(0)
{
    std::memset(&state, 0, sizeof state);
    std::memset(block, 0, sizeof block);
}

void PackageVerifier::Begin(const uint8_t* header, uint32_t compressedSize, uint32_t trailingSize)
{
    hasRoom = SignedBodyLength(compressedSize, trailingSize, &signedLength);
    bodyLength = hasRoom ? signedLength + kSignatureBlockSize : 0;
    given = 0;
    crypto_sign_ed25519ph_init(&state);
    crypto_sign_ed25519ph_update(&state, header, kPackageHeaderSize);
}

void PackageVerifier::Add(const uint8_t* bytes, uint32_t count)
{
    if (!hasRoom || given >= bodyLength || count == 0)
        return;
    if (count > bodyLength - given)
        count = bodyLength - given;
    if (given < signedLength) {
        uint32_t hashed = count < signedLength - given ? count : signedLength - given;
        crypto_sign_ed25519ph_update(&state, bytes, hashed);
        given += hashed;
        bytes += hashed;
        count -= hashed;
    }
    // What remains belongs to the block, which is kept aside for Finish.
    if (count > 0)
        std::memcpy(block + (given - signedLength), bytes, count);
    given += count;
}

SignatureCheck PackageVerifier::Finish(const PackageTrust& trust)
{
    if (!hasRoom)
        return kSignatureNoRoom;
    if (given != bodyLength)
        return kSignatureIncomplete;
    hasRoom = false;
    SignatureBlock decoded;
    SignatureBlockKind kind = DecodeSignatureBlock(block, &decoded);
    if (kind == kBlockAbsent)
        return kSignatureMissing;
    if (kind == kBlockUnsupported)
        return kSignatureUnsupported;
    SignatureCheck result = kSignatureKeyUnknown;
    for (uint32_t i = 0; i < trust.keyCount; ++i) {
        uint8_t keyId[kKeyIdSize];
        DeriveKeyId(trust.keys[i].publicKey, keyId);
        if (std::memcmp(keyId, decoded.keyId, kKeyIdSize) != 0)
            continue;
        // Finishing consumes the hash state, and two keys may share an id.
        crypto_sign_ed25519ph_state copy = state;
        if (crypto_sign_ed25519ph_final_verify(&copy, decoded.signature, trust.keys[i].publicKey) == 0)
            return kSignatureValid;
        result = kSignatureInvalid;
    }
    return result;
}
