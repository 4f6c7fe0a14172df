# The static libraries of the Windows build, as scripts/build-windows-deps
# left them in its cache: Windows::lzma, Windows::crypto and Windows::sodium.
set(QUORVALENT_WINDOWS_DEPS_FILE "" CACHE FILEPATH
    "windows-deps.cmake written by scripts/build-windows-deps (empty: its cache for this triplet)")
set(deps_file ${QUORVALENT_WINDOWS_DEPS_FILE})
if(NOT deps_file)
  if(DEFINED ENV{QUORVALENT_WINDOWS_DEPS})
    set(deps_root $ENV{QUORVALENT_WINDOWS_DEPS})
  elseif(DEFINED ENV{XDG_CACHE_HOME})
    set(deps_root $ENV{XDG_CACHE_HOME}/quorvalent/windows-deps)
  else()
    set(deps_root $ENV{HOME}/.cache/quorvalent/windows-deps)
  endif()
  set(deps_file ${deps_root}/${QUORVALENT_WINDOWS_TRIPLET}/windows-deps.cmake)
endif()
if(NOT EXISTS ${deps_file})
  message(FATAL_ERROR "No Windows libraries at ${deps_file}: "
                      "run scripts/build-windows-deps ${QUORVALENT_WINDOWS_TRIPLET} first")
endif()
include(${deps_file})

function(add_windows_library name root library)
  if(NOT EXISTS ${root}/lib/${library})
    message(FATAL_ERROR "${root}/lib/${library} is missing: run scripts/build-windows-deps again")
  endif()
  add_library(Windows::${name} STATIC IMPORTED GLOBAL)
  set_target_properties(Windows::${name} PROPERTIES
    IMPORTED_LOCATION ${root}/lib/${library}
    INTERFACE_INCLUDE_DIRECTORIES ${root}/include
    INTERFACE_COMPILE_DEFINITIONS "${ARGN}")
endfunction()

# Their headers declare the functions as DLL imports unless told the
# libraries are static.
add_windows_library(lzma ${QUORVALENT_LZMA_ROOT} liblzma.a LZMA_API_STATIC)
add_windows_library(crypto ${QUORVALENT_CRYPTO_ROOT} libcrypto.a)
add_windows_library(sodium ${QUORVALENT_SODIUM_ROOT} libsodium.a SODIUM_STATIC)
