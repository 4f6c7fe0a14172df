#include "tests/support/package_builder.h"

#include "base/folders.h"
#include "package/download_state.h"
#include "tests/support/test_env.h"
#include "tools/pack/key_files.h"
#include "tools/pack/lzma_encode.h"
#include "tools/pack/package_signer.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace testing_package {

namespace {

const uint8_t* TestSigningSeed()
{
    static uint8_t seed[kPrivateSeedSize];
    static bool read = false;
    std::string error;
    if (!read && !ReadPrivateKey(WindowsPath(ProductDir() + "/keys/private-key.pem"), seed, &error))
        std::fill(seed, seed + sizeof seed, 0x5E);
    read = true;
    return seed;
}

std::vector<uint8_t> EncodeLzma(const std::vector<uint8_t>& data, bool endMarker)
{
    std::vector<uint8_t> encoded;
    return CompressLzma(data.data(), uint32_t(data.size()), 6, endMarker, &encoded) ? encoded
                                                                                    : std::vector<uint8_t>();
}

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

}  // namespace

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

std::string SizedAnswer(const std::string& file, size_t offset)
{
    const std::string head =
        offset == 0 ? "HTTP/1.1 200 OK\r\n"
                    : "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + std::to_string(offset) + "-" +
                          std::to_string(file.size() - 1) + "/" + std::to_string(file.size()) + "\r\n";
    return head + "Content-Length: " + std::to_string(file.size() - offset) + "\r\n\r\n" +
           file.substr(offset);
}

std::string DownloadStatePath()
{
    char path[kFolderPathSize];
    return GetDownloadStatePath(path) ? path : "";
}

std::string DataFile(const std::string& name)
{
    return ReadWholeFile(WindowsPath(SourceDir() + "/tests/data/" + name)).bytes;
}

std::string DataBytes(const std::string& text)
{
    std::string bytes;
    for (size_t at = 0, end; at < text.size(); ++at) {
        char name[64];
        unsigned from = 0, to = ~0u;
        if (text.compare(at, 2, "\\x") == 0) {
            bytes += char(std::stoi(text.substr(at + 2, 2), nullptr, 16)), at += 3;
        } else if (text.compare(at, 2, "\\[") == 0) {
            for (at += 2; text.at(at) != ']'; ++at)
                bytes +=
                    text[at] == ' ' ? "" : std::string(1, char(std::stoi(text.substr(at++, 2), nullptr, 16)));
        } else if (text.compare(at, 2, "\\{") == 0 && (end = text.find('}', at)) != std::string::npos) {
            const size_t colon = text.find(':', at);
            for (int n = std::stoi(text.substr(at + 2, colon - at - 2)); n > 0; --n)
                bytes += DataBytes(text.substr(colon + 1, end - colon - 1));
            at = end;
        } else if (text[at] == '\\') {
            const size_t plain = std::string("rn0").find(text[++at]);
            bytes += plain == std::string::npos ? text[at] : std::string("\r\n\0", 3)[plain];
        } else if (text[at] != '{') {
            bytes += text[at];
        } else if ((end = text.find('}', at)) == std::string::npos) {
            throw std::invalid_argument("no } in " + text.substr(at));
        } else if (std::sscanf(text.c_str() + at, "{%u*%c}", &from, name) == 2) {
            bytes += std::string(from, name[0]), at = end;
        } else if (std::sscanf(text.substr(at + 1, end - at - 1).c_str(), "%63s %u:%u", name, &from, &to) >=
                   1) {
            bytes += DataFile(name).substr(from, to - from), at = end;
        } else {
            throw std::invalid_argument("not {N*c} or {NAME a:b}: " + text.substr(at));
        }
    }
    return bytes;
}

}  // namespace testing_package
