// The bytes of a resource in the program's own file. Any thread.
#pragma once

#include <windows.h>

#include <cstdint>

// Finds, loads and locks the resource of the given type and numeric id.
// False when it is missing, empty or cannot be loaded; the bytes belong to
// the loaded module and stay valid while the program runs.
bool LoadProgramResource(const char* type, WORD id, const uint8_t** bytes, uint32_t* length);
