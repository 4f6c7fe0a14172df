// Which packages this program installs: the public keys whose signatures it
// accepts and the lowest package number it takes from a download. The
// program's own trust is built in (a source that the build generates from
// QUORVALENT_TRUSTED_KEYS and QUORVALENT_MIN_PACKAGE_NUMBER); the package
// job only reads it. Constant data; any thread.
#pragma once

#include "package/package_signature.h"

#include <cstdint>

struct TrustedKey {
    uint8_t publicKey[kPublicKeySize];
};

struct PackageTrust {
    // False: a program built without trusted keys, which reads no trailing
    // bytes and installs unsigned packages as it always did.
    bool checksSignatures;
    const TrustedKey* keys;
    uint32_t keyCount;
    // Downloaded packages with a lower package number are refused.
    uint32_t minimumPackageNumber;
};

// No signature is checked and every package number is taken: the package
// tool's reading of packages (which checks with the keys it is given).
const PackageTrust kNoSignatureCheck = {false, nullptr, 0, 0};

// The trust built into this program. Defined once per program: the
// installer's (and its tests') in the generated source, the package tool's
// as kNoSignatureCheck.
const PackageTrust& BuiltInPackageTrust();
