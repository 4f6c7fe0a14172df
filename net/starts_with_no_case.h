// Case-insensitive prefix test of 8-bit texts.
#pragma once

// True when text begins with prefix, each character compared after toupper;
// false when either is null. An empty prefix matches every text. Any thread.
bool StartsWithNoCase(const char* text, const char* prefix);
