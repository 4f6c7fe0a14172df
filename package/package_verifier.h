// PackageVerifier: checks a package's signature block against a trust while
// the package's bytes arrive, piece by piece in file order, so that the
// check is done as soon as the body is complete. Uses no random numbers and
// needs no library initialisation. One thread at a time.
#pragma once

#include "package/package_signature.h"
#include "package/package_trust.h"

#include <sodium/crypto_sign_ed25519.h>

#include <cstdint>

// Why a package was refused, or kSignatureValid.
enum SignatureCheck {
    kSignatureValid,
    kSignatureNoRoom,       // the trailing bytes cannot hold a block
    kSignatureMissing,      // no block: an unsigned package
    kSignatureUnsupported,  // a block of another version or algorithm
    kSignatureKeyUnknown,   // signed by a key the trust does not hold
    kSignatureInvalid,      // the signature does not match the bytes
    kSignatureIncomplete,   // fewer body bytes given than the header states
};
// A short English reason, for the package tool.
const char* DescribeSignatureCheck(SignatureCheck check);

class PackageVerifier {
public:
    PackageVerifier();

    // Starts over for the package whose 16 header bytes are given; the body
    // (compressed + trailing size bytes) follows through Add.
    void Begin(const uint8_t* header, uint32_t compressedSize, uint32_t trailingSize);
    // The next count body bytes, following those given before. Bytes past
    // the body are ignored.
    void Add(const uint8_t* bytes, uint32_t count);
    // Checks the block that ended the body against the trust's keys. Ends
    // this package: Begin starts the next.
    SignatureCheck Finish(const PackageTrust& trust);

private:
    crypto_sign_ed25519ph_state state;
    bool hasRoom;
    uint32_t signedLength;
    uint32_t bodyLength;
    uint32_t given;
    uint8_t block[kSignatureBlockSize];
};
