// The signature block of a signed package, declared once. It is the last
// kSignatureBlockSize bytes of the package's trailing bytes (so installers
// that know nothing of signatures download and keep it without reading it):
//
//   offset  width  field
//        0      4  magic "QVSG"
//        4     u8  block version, 1
//        5     u8  algorithm, 1: Ed25519ph (Ed25519 over the SHA-512 of the message)
//        6      8  key id: the first 8 bytes of the SHA-512 of the public key
//       14     64  signature
//
// The signed message is every byte of the package file before the block:
// the 16-byte header as stored, the stored archive and the trailing bytes
// that precede the block. Plain functions; any thread.
#pragma once

#include <cstdint>

const uint32_t kSignatureBlockSize = 78;
const uint8_t kSignatureMagic[4] = {'Q', 'V', 'S', 'G'};
const uint8_t kSignatureBlockVersion = 1;
const uint8_t kSignatureAlgorithmEd25519ph = 1;
const uint32_t kPublicKeySize = 32;
const uint32_t kKeyIdSize = 8;
const uint32_t kSignatureSize = 64;

struct SignatureBlock {
    uint8_t algorithm;
    uint8_t keyId[kKeyIdSize];
    uint8_t signature[kSignatureSize];
};

// What the kSignatureBlockSize bytes at the block's place hold.
enum SignatureBlockKind {
    kBlockAbsent,       // no magic: the package is not signed
    kBlockUnsupported,  // the magic, with a version or algorithm this program does not know
    kBlockPresent,      // decoded into block
};
SignatureBlockKind DecodeSignatureBlock(const uint8_t* bytes, SignatureBlock* block);
void EncodeSignatureBlock(const SignatureBlock& block, uint8_t* bytes);

// The count of body bytes (stored archive and trailing bytes) that the
// signature covers, the block following them; false when the trailing bytes
// are too few to hold a block.
bool SignedBodyLength(uint32_t compressedSize, uint32_t trailingSize, uint32_t* length);

// The key id of a public key of kPublicKeySize bytes.
void DeriveKeyId(const uint8_t* publicKey, uint8_t* keyId);
