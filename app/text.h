// Case-insensitive comparison and decimal parsing of 8-bit texts.
#pragma once

#include <cstdint>

// 0 when both texts are equal ignoring case (each character through the C
// library's toupper); non-zero otherwise. Null counts as the empty text.
int CompareNoCase(const char* a, const char* b);

// The value of the text's leading decimal digits, wrapping at 2^32; 0 for
// null or when the text does not start with a digit.
uint32_t ParseDecimal(const char* text);
