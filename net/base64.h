// Base64 of a text, for the Basic proxy authorisation header.
#pragma once

#include <cstdint>

// The count of bytes, NUL included, that Base64Encode writes for a text of
// length bytes.
uint32_t Base64EncodedSize(uint32_t length);

// Writes the standard Base64 ("A"-"Z", "a"-"z", "0"-"9", "+", "/", "="
// padding) of the bytes of the NUL-terminated text, NUL-terminated. out holds
// at least Base64EncodedSize(strlen(text)) bytes. Any thread.
void Base64Encode(char* out, const char* text);
