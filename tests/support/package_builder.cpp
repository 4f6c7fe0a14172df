#include "tests/support/package_builder.h"

#include "tests/support/test_env.h"
#include "tools/pack/key_files.h"
#include "tools/pack/lzma_encode.h"
#include "tools/pack/package_signer.h"

#include <algorithm>
#include <random>

namespace testing_package {

namespace {

std::vector<uint8_t> Package(const std::vector<uint8_t>& body, uint32_t archiveSize, uint32_t number,
                             uint8_t flags, uint32_t trailing)
{
    std::vector<uint8_t> package(kPackageHeaderSize);
    EncodePackageHeader({flags, uint16_t(number), archiveSize, uint32_t(body.size()), trailing},
                        package.data());
    package.insert(package.end(), body.begin(), body.end());
    package.insert(package.end(), trailing, 'T');
    std::string error;
    SignPackage(&package, TestSigningSeed(), &error);
    return package;
}

std::string AnswerHead(const std::string& file, size_t offset)
{
    if (offset == 0)
        return "HTTP/1.1 200 OK\r\n";
    return "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + std::to_string(offset) + "-" +
           std::to_string(file.size() - 1) + "/" + std::to_string(file.size()) + "\r\n";
}

}  // namespace

const uint8_t* TestSigningSeed()
{
    static uint8_t seed[kPrivateSeedSize];
    static bool read = false;
    std::string error;
    if (!read && !ReadPrivateKey(WindowsPath(BuildDir() + "/keys/private-key.pem"), seed, &error))
        std::fill(seed, seed + sizeof seed, 0x5E);
    read = true;
    return seed;
}

std::vector<uint8_t> StoredPackage(const std::vector<uint8_t>& archive, uint32_t number, uint8_t flags,
                                   uint32_t trailing)
{
    return Package(archive, uint32_t(archive.size()), number, flags, trailing);
}

std::vector<uint8_t> CompressedPackage(const std::vector<uint8_t>& archive, uint32_t number, uint8_t flags,
                                       bool endMarker)
{
    return Package(EncodeLzma(archive, endMarker), uint32_t(archive.size()), number, flags, 0);
}

std::vector<uint8_t> EncodeLzma(const std::vector<uint8_t>& data, bool endMarker)
{
    std::vector<uint8_t> encoded;
    return CompressLzma(data.data(), uint32_t(data.size()), 6, endMarker, &encoded) ? encoded
                                                                                    : std::vector<uint8_t>();
}

std::string SizedAnswer(const std::string& file, size_t offset)
{
    return AnswerHead(file, offset) + "Content-Length: " + std::to_string(file.size() - offset) + "\r\n\r\n" +
           file.substr(offset);
}

std::string ChunkedAnswer(const std::string& file, size_t offset, uint32_t seed,
                          std::vector<size_t>* chunkEnds)
{
    std::mt19937 random(seed);
    std::string answer = AnswerHead(file, offset) + "Transfer-Encoding: chunked\r\n\r\n";
    for (size_t at = offset, length; at < file.size(); at += length) {
        length = std::min<size_t>(file.size() - at, 1 + random() % 9000);
        char size[16];
        std::snprintf(size, sizeof size, "%zx\r\n", length);
        answer += size + file.substr(at, length);
        chunkEnds->push_back(answer.size());
        answer += "\r\n";
    }
    return answer + "0\r\n\r\n";
}

}  // namespace testing_package
