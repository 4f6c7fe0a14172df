# Builds Winelib programs: Windows sources against Wine's headers, linked into
# ELF modules that the wine loader runs. The host stays Linux, so liblzma,
# libcrypto and GoogleTest are the ordinary Linux libraries.
set(CMAKE_C_COMPILER winegcc)
set(CMAKE_CXX_COMPILER wineg++)
set(CMAKE_EXECUTABLE_SUFFIX ".exe")
set(CMAKE_EXECUTABLE_SUFFIX_C ".exe")
set(CMAKE_EXECUTABLE_SUFFIX_CXX ".exe")
find_program(WINE_RC wrc REQUIRED)
find_program(WINE_LOADER wine REQUIRED)
