// GoogleTest in its Linux form, as the host library was built: its headers
// must not see the Windows target macros that winegcc defines. Include this
// before any Windows header.
#pragma once

#pragma push_macro("_WIN32")
#pragma push_macro("_WIN64")
#pragma push_macro("WIN32")
#pragma push_macro("WIN64")
#undef _WIN32
#undef _WIN64
#undef WIN32
#undef WIN64
#include <gtest/gtest.h>
#pragma pop_macro("_WIN32")
#pragma pop_macro("_WIN64")
#pragma pop_macro("WIN32")
#pragma pop_macro("WIN64")
