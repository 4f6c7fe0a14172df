// Signing and checking whole packages in memory: the package tool's
// --sign and --verify, and the tests' signed packages. One thread.
#pragma once

#include "package/package_verifier.h"

#include <cstdint>
#include <string>
#include <vector>

// Signs the package with the key of the 32-byte seed: the block that ends
// its trailing bytes is replaced, or a block is appended and the header's
// trailing size grows by kSignatureBlockSize. Uses no random numbers. False
// with a message in error for a file that is not one whole package.
bool SignPackage(std::vector<uint8_t>* package, const uint8_t* seed, std::string* error);

// The public key of the 32-byte seed.
void PublicKeyOfSeed(const uint8_t* seed, uint8_t* publicKey);

// Checks the whole package against the trust (its package number is the one
// it carries). False with a message in error when it is not one whole
// package; otherwise *check says whether and why the signature fails.
bool CheckPackageSignature(const std::vector<uint8_t>& package, const PackageTrust& trust,
                           SignatureCheck* check, std::string* error);

// A line that describes the block ending the package's trailing bytes,
// without checking it (--verify checks it).
std::string DescribeSignatureBlock(const std::vector<uint8_t>& package);
