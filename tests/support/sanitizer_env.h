// What the sanitizer build's environment asks of tests that start programs.
#pragma once

#include <string>

// In sanitized runs the sanitizer's runtime is preloaded into every process
// that inherits the environment; it suits our Winelib programs, but a real
// Windows program (the stand-in, the shell's helpers) cannot start with it.
// While this object lives, started programs do not get it. Wine hands a
// started program the Unix environment as well as the Windows one.
class WithoutSanitizerPreload {
public:
    WithoutSanitizerPreload();
    WithoutSanitizerPreload(const WithoutSanitizerPreload&) = delete;
    WithoutSanitizerPreload& operator=(const WithoutSanitizerPreload&) = delete;
    ~WithoutSanitizerPreload();

private:
    std::string saved_;
};

