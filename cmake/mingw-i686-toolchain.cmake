# Builds native 32-bit Windows programs with mingw-w64: PE32 files for
# Windows 2000 and later that need no DLL beyond those every Windows has.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QUORVALENT_WINDOWS_TRIPLET i686-w64-mingw32)
set(QUORVALENT_WINDOWS_VERSION_MAJOR 5)
set(QUORVALENT_WINDOWS_VERSION_MINOR 0)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain-common.cmake)
