# What both Windows builds share, after the toolchain file has named
# QUORVALENT_WINDOWS_TRIPLET, CMAKE_SYSTEM_PROCESSOR and the oldest Windows
# version (QUORVALENT_WINDOWS_VERSION_MAJOR and _MINOR).
set(CMAKE_C_COMPILER ${QUORVALENT_WINDOWS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${QUORVALENT_WINDOWS_TRIPLET}-g++)
find_program(MINGW_WINDRES ${QUORVALENT_WINDOWS_TRIPLET}-windres REQUIRED)
find_program(MINGW_OBJDUMP ${QUORVALENT_WINDOWS_TRIPLET}-objdump REQUIRED)
find_program(MINGW_STRIP ${QUORVALENT_WINDOWS_TRIPLET}-strip REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${QUORVALENT_WINDOWS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The headers offer only what Windows 2000 has.
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=0x0500 -DWINVER=0x0500")
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0500 -DWINVER=0x0500")
# The C and C++ runtimes of the compiler (libgcc, libstdc++, winpthread) are
# linked in, and the PE header asks for the oldest subsystem and system
# version that the architecture has.
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-static -Wl,--major-subsystem-version,${QUORVALENT_WINDOWS_VERSION_MAJOR},--minor-subsystem-version,${QUORVALENT_WINDOWS_VERSION_MINOR},--major-os-version,${QUORVALENT_WINDOWS_VERSION_MAJOR},--minor-os-version,${QUORVALENT_WINDOWS_VERSION_MINOR}")
# Resources compile with Wine's wrc, as in the Winelib build.
find_program(WINE_RC wrc REQUIRED)
