// Owns a Win32 handle and closes it with the function that belongs to its
// kind (CloseHandle, FindClose). One thread.
#pragma once

#include <windows.h>

template <BOOL(WINAPI* Close)(HANDLE)>
class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
    ~ScopedHandle()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            Close(handle_);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

typedef ScopedHandle<CloseHandle> FileHandle;
typedef ScopedHandle<FindClose> FindHandle;
