# The Winelib toolchain with clang under winegcc instead of gcc, for the
# libFuzzer build (scripts/fuzz): libFuzzer's coverage instrumentation and
# runtime are clang's.
include(${CMAKE_CURRENT_LIST_DIR}/winegcc-toolchain.cmake)
set(CMAKE_C_COMPILER ${CMAKE_CURRENT_LIST_DIR}/clang-winegcc/winegcc)
set(CMAKE_CXX_COMPILER ${CMAKE_CURRENT_LIST_DIR}/clang-winegcc/wineg++)
