// The package signing keys as files: an Ed25519 key pair in the PEM forms
// that common tools read too (a PKCS #8 private key, an X.509
// SubjectPublicKeyInfo public key). The public key file is what the build
// takes in QUORVALENT_TRUSTED_KEYS. Paths are Windows paths. One thread.
#pragma once

#include "package/package_signature.h"

#include <cstdint>
#include <string>

const uint32_t kPrivateSeedSize = 32;

// Writes a new key pair into the folder (created if missing) as
// "private-key.pem", readable and writable by its owner only, and
// "public-key.pem". Refuses to replace an existing private key. False with a
// message in error.
bool GenerateKeyPair(const std::string& folder, std::string* error);

// Reads a private key file into its 32-byte seed, or a public key file into
// its 32 bytes. False with a message in error.
bool ReadPrivateKey(const std::string& path, uint8_t* seed, std::string* error);
bool ReadPublicKey(const std::string& path, uint8_t* publicKey, std::string* error);

// The key id as 16 hexadecimal digits.
std::string FormatKeyId(const uint8_t* keyId);
