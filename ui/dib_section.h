// DibSection: a top-down device-independent bitmap that owns its pixel
// memory, shared by the drawn controls.
#pragma once

#include "afx/afxwin.h"

#include <cstdint>

// A device-independent bitmap and its pixel memory, deleted with the object.
class DibSection {
public:
    DibSection() : bitmap(nullptr), bits(nullptr), width(0), height(0) {}
    ~DibSection() { Release(); }
    DibSection(const DibSection&) = delete;
    DibSection& operator=(const DibSection&) = delete;

    // A top-down bitmap of `bitCount` (24 or 32) bits per pixel; false (and
    // none) when the size is not positive or the system refuses.
    bool Create(int32_t w, int32_t h, uint16_t bitCount);
    void Release();
    explicit operator bool() const { return bitmap != nullptr; }

    HBITMAP bitmap;
    void* bits;
    int32_t width;
    int32_t height;
};
