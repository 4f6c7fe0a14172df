// The update service's framed messages, the same in both directions: an
// 8-byte header (type, then body length, both unsigned 32-bit big-endian) and
// a body of at most 1024 bytes whose integer fields are big-endian 32-bit
// words. Shared by the installer and the reference service, so it uses no
// system headers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace service_message {

const uint32_t kHeaderSize = 8;
const uint32_t kMaxBodySize = 1024;
const uint16_t kServicePort = 16000;

// Sent by the client.
const uint32_t kUpdateRequest = 180;      // words: 2, 134, nonce
const uint32_t kChallengeResponse = 272;  // word: HandshakeTransform(challenge)
// Sent by the service.
const uint32_t kPreamble = 1;  // skipped once after UpdateRequest
const uint32_t kRedirect = 3;  // words: proof, IPv4 address
const uint32_t kServiceUnavailable = 54;
const uint32_t kChallenge = 84;  // words: unused, package number, proof, challenge
const uint32_t kManualUpdate = 124;
const uint32_t kNoUpdate = 58;
const uint32_t kPackageLocation = 78;  // byte L, then L bytes of URL

const uint32_t kRequestWord0 = 2;
const uint32_t kRequestWord1 = 134;
const uint32_t kMaxUrlLength = 255;

// One message as held by a receiver: header fields in host order and the body.
struct Message {
    uint32_t type;
    uint32_t length;
    uint8_t body[kMaxBodySize];
};

// The shared transform that proves both sides know each other:
// y = x XOR 0x6D4B1E73; y mod 27941 + y, wrapping at 2^32.
uint32_t HandshakeTransform(uint32_t x);

// Fills type and length from an 8-byte header; false when the length is
// above kMaxBodySize (the body must then not be read).
bool DecodeHeader(const uint8_t header[kHeaderSize], Message* message);

// Word index of a body, or false when the body is too short to hold it.
bool BodyWord(const Message& message, uint32_t index, uint32_t* value);

// Encodes a message with the given word fields into out (at least
// kHeaderSize + 4 * count bytes); returns the bytes written.
size_t EncodeWords(uint32_t type, const uint32_t* words, uint32_t count, uint8_t* out);

// Encodes a PackageLocation for a URL of at most 255 bytes into out (at
// least kHeaderSize + 256 bytes); returns 0 when the URL is too long.
size_t EncodePackageLocation(const char* url, size_t urlLength, uint8_t* out);

}  // namespace service_message
