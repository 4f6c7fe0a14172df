// Case-insensitive comparison and decimal parsing of 8-bit texts. Every
// comparison takes each character through the C library's toupper. Any thread.
#pragma once

#include <cstddef>
#include <cstdint>

// 0 when both texts are equal ignoring case; non-zero otherwise. Null counts
// as the empty text.
int CompareNoCase(const char* a, const char* b);

// True when text begins with prefix ignoring case; false when either is null.
// An empty prefix matches every text.
bool StartsWithNoCase(const char* text, const char* prefix);

// The first n characters of text equal those of prefix ignoring case; a
// shorter text does not match.
bool HasPrefixNoCase(const char* text, const char* prefix, size_t n);

// The value of the text's leading decimal digits, wrapping at 2^32; 0 for
// null or when the text does not start with a digit.
uint32_t ParseDecimal(const char* text);
