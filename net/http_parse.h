// The numbers of an HTTP response: status code, Content-Length and chunk
// sizes. Each parser refuses what would not fit in 32 bits rather than wrap.
// Plain functions, any thread.
#pragma once

#include <cstdint>

// The status code after the first space of a status line ("HTTP/1.1 200 OK"),
// spaces after it skipped: true with 1 to 3 digits not followed by another
// digit. No space, no digits, a sign or more digits: false.
bool ParseStatusCode(const char* line, int32_t& status);

enum class NumberParse { kNone, kValue, kTooLarge };

// The unsigned decimal at the start of text (spaces and tabs skipped).
// kNone when no digit follows, kTooLarge when it exceeds 2^32 - 1.
NumberParse ParseDecimalU32(const char* text, uint32_t& value);

// The hexadecimal chunk size at the start of text (spaces and tabs skipped);
// what follows the digits, such as chunk extensions, is ignored.
NumberParse ParseChunkSize(const char* text, uint32_t& value);

// The value of a Content-Range header ("bytes 1016-2047/2048", unit in any
// letter case, blanks allowed around the numbers): the first and last byte
// positions and the complete length, 0 when given as "*". False for any other
// form, numbers that do not fit in 32 bits, or a last byte before the first.
bool ParseContentRange(const char* text, uint32_t& first, uint32_t& last, uint32_t& length);
