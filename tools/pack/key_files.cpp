#include "tools/pack/key_files.h"

#include "base/error_code.h"
#include "base/file_stream.h"
#include "base/owner_only_file.h"

#include <openssl/evp.h>
#include <sodium.h>
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

const char kPrivateKeyName[] = "private-key.pem";
const char kPublicKeyName[] = "public-key.pem";
const char kPrivateLabel[] = "PRIVATE KEY";
const char kPublicLabel[] = "PUBLIC KEY";
// The DER that precedes the 32 key bytes: PKCS #8 with the Ed25519
// algorithm (1.3.101.112) and the seed as an octet string, and the
// SubjectPublicKeyInfo of the same algorithm.
const uint8_t kPrivatePrefix[] = {0x30, 0x2E, 0x02, 0x01, 0x00, 0x30, 0x05, 0x06,
                                  0x03, 0x2B, 0x65, 0x70, 0x04, 0x22, 0x04, 0x20};
const uint8_t kPublicPrefix[] = {0x30, 0x2A, 0x30, 0x05, 0x06, 0x03, 0x2B, 0x65, 0x70, 0x03, 0x21, 0x00};
// Larger files are no key files.
const uint32_t kLargestKeyFile = 4096;

std::string Pem(const char* label, const uint8_t* prefix, size_t prefixSize, const uint8_t* key)
{
    uint8_t der[64];
    std::memcpy(der, prefix, prefixSize);
    std::memcpy(der + prefixSize, key, kPublicKeySize);
    char base64[100];
    EVP_EncodeBlock(reinterpret_cast<unsigned char*>(base64), der, int(prefixSize + kPublicKeySize));
    sodium_memzero(der, sizeof der);
    std::string text =
        std::string("-----BEGIN ") + label + "-----\n" + base64 + "\n-----END " + label + "-----\n";
    sodium_memzero(base64, sizeof base64);
    return text;
}

bool ReadSmallFile(const std::string& path, std::string* text)
{
    try {
        FileStream file(path.c_str(), "rb");
        uint32_t size = file.GetSize();
        if (size > kLargestKeyFile)
            return false;
        text->resize(size);
        file.Read(&(*text)[0], size);
    } catch (ErrorCode) {
        return false;
    }
    return true;
}

// The 32 key bytes of a PEM file of the label whose DER starts with prefix.
bool DecodePem(const std::string& text, const char* label, const uint8_t* prefix, size_t prefixSize,
               uint8_t* key)
{
    const std::string begin = std::string("-----BEGIN ") + label + "-----";
    const std::string end = std::string("-----END ") + label + "-----";
    size_t first = text.find(begin);
    size_t last = text.find(end);
    if (first == std::string::npos || last == std::string::npos || last < first)
        return false;
    std::string base64;
    for (size_t i = first + begin.size(); i < last; ++i)
        if (!std::isspace(static_cast<unsigned char>(text[i])))
            base64 += text[i];
    const size_t derSize = prefixSize + kPublicKeySize;
    // Base64 of derSize bytes, padding included.
    if (base64.size() != (derSize + 2) / 3 * 4)
        return false;
    uint8_t der[66];
    int decoded =
        EVP_DecodeBlock(der, reinterpret_cast<const unsigned char*>(base64.data()), int(base64.size()));
    bool valid = decoded >= int(derSize) && std::memcmp(der, prefix, prefixSize) == 0;
    if (valid)
        std::memcpy(key, der + prefixSize, kPublicKeySize);
    sodium_memzero(der, sizeof der);
    return valid;
}

bool WriteText(const std::string& path, const std::string& text)
{
    try {
        FileStream file(path.c_str(), "wb");
        file.Write(text.data(), uint32_t(text.size()));
        file.Close();
    } catch (ErrorCode) {
        return false;
    }
    return true;
}

std::string InFolder(const std::string& folder, const char* name)
{
    std::string path = folder;
    if (!path.empty() && path.back() != '\\' && path.back() != '/')
        path += '\\';
    return path + name;
}

}  // namespace

bool GenerateKeyPair(const std::string& folder, std::string* error)
{
    if (sodium_init() < 0) {
        *error = "the random number source cannot be used";
        return false;
    }
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string privatePath = InFolder(folder, kPrivateKeyName);
    const std::string publicPath = InFolder(folder, kPublicKeyName);
    if (GetFileAttributesA(privatePath.c_str()) != INVALID_FILE_ATTRIBUTES) {
        *error = privatePath + " exists already; a key pair is never replaced";
        return false;
    }
    uint8_t seed[kPrivateSeedSize];
    uint8_t publicKey[crypto_sign_PUBLICKEYBYTES];
    uint8_t secretKey[crypto_sign_SECRETKEYBYTES];
    randombytes_buf(seed, sizeof seed);
    crypto_sign_seed_keypair(publicKey, secretKey, seed);
    std::string privateText = Pem(kPrivateLabel, kPrivatePrefix, sizeof kPrivatePrefix, seed);
    sodium_memzero(seed, sizeof seed);
    sodium_memzero(secretKey, sizeof secretKey);
    // The file is narrowed to its owner while it is still empty, before the
    // key is written into it.
    bool written = WriteText(privatePath, "") && RestrictToOwner(privatePath.c_str()) &&
                   WriteText(privatePath, privateText);
    sodium_memzero(&privateText[0], privateText.size());
    if (!written) {
        DeleteFileA(privatePath.c_str());
        *error = "cannot write " + privatePath + " for its owner alone";
        return false;
    }
    if (!WriteText(publicPath, Pem(kPublicLabel, kPublicPrefix, sizeof kPublicPrefix, publicKey))) {
        *error = "cannot write " + publicPath;
        return false;
    }
    return true;
}

bool ReadPrivateKey(const std::string& path, uint8_t* seed, std::string* error)
{
    std::string text;
    bool valid = ReadSmallFile(path, &text) &&
                 DecodePem(text, kPrivateLabel, kPrivatePrefix, sizeof kPrivatePrefix, seed);
    if (!text.empty())
        sodium_memzero(&text[0], text.size());
    if (!valid)
        *error = path + " is no Ed25519 private key file (PEM, PKCS #8)";
    return valid;
}

bool ReadPublicKey(const std::string& path, uint8_t* publicKey, std::string* error)
{
    std::string text;
    if (ReadSmallFile(path, &text) &&
        DecodePem(text, kPublicLabel, kPublicPrefix, sizeof kPublicPrefix, publicKey))
        return true;
    *error = path + " is no Ed25519 public key file (PEM)";
    return false;
}

std::string FormatKeyId(const uint8_t* keyId)
{
    char text[2 * kKeyIdSize + 1];
    for (uint32_t i = 0; i < kKeyIdSize; ++i) std::snprintf(text + 2 * i, 3, "%02x", keyId[i]);
    return text;
}
