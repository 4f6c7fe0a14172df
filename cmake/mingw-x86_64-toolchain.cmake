# Builds the same programs as 64-bit Windows programs (PE32+, Windows XP x64
# and later). What ships is the 32-bit build; this one lets the system tests
# run the Windows build where the machine runs no 32-bit code (no wine32).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(QUORVALENT_WINDOWS_TRIPLET x86_64-w64-mingw32)
set(QUORVALENT_WINDOWS_VERSION_MAJOR 5)
set(QUORVALENT_WINDOWS_VERSION_MINOR 2)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain-common.cmake)
