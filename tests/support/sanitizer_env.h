// What the sanitizer build's environment allows the tests to do.
#pragma once

// Whether a C++ exception can be thrown in this process. Under AddressSanitizer
// Wine loads the C++ runtime after the sanitizer has looked for it, and every
// throw then aborts, unless the C++ runtime is preloaded beside the sanitizer.
bool CanThrowHere();
