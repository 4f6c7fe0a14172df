# Which packages the installer installs: the public keys it trusts and the
# lowest package number it takes from a download, compiled into one generated
# source (the object library quorvalent_trust, which the installer, its tests
# and the benchmarks link; the package tool trusts nothing built in).
#
# QUORVALENT_TRUSTED_KEYS empty (the default): the build makes a development
# key pair once in build/<preset>/keys, trusts its public key and signs the
# embedded package with its private key. A list of public key files (PEM, as
# `quorvalent-pack.exe --keygen` writes them): the installer trusts those
# keys, and the embedded package is signed with QUORVALENT_SIGNING_KEY when
# it names the private key of one of them. OFF: the installer checks no
# signature and reads no trailing bytes.
set(QUORVALENT_TRUSTED_KEYS "" CACHE STRING
    "Public key files the installer trusts (empty: a development key pair of the build; OFF: none)")
set(QUORVALENT_MIN_PACKAGE_NUMBER 0 CACHE STRING
    "Downloaded packages with a lower package number are refused")
set(QUORVALENT_SIGNING_KEY "" CACHE FILEPATH
    "Private key that signs the embedded package made at build time (empty: the development key, if any)")

# The package tool runs at build time under Wine. The Windows build's own is a
# 32-bit program, which Debian's Wine runs only with its 32-bit part
# installed, so that build takes the Winelib build's tool (the windows preset
# names it).
if(QUORVALENT_WINDOWS_BUILD)
  set(QUORVALENT_PACK_TOOL "" CACHE FILEPATH
      "A Winelib quorvalent-pack.exe that makes the keys and the embedded package of the Windows build")
  if(NOT EXISTS "${QUORVALENT_PACK_TOOL}")
    message(FATAL_ERROR "The Windows build packs and makes its keys with a Winelib quorvalent-pack.exe, and "
                        "QUORVALENT_PACK_TOOL (\"${QUORVALENT_PACK_TOOL}\") names none. For the windows "
                        "preset, build it first: cmake --preset default && "
                        "cmake --build --preset default --target quorvalent-pack")
  endif()
  set(PACK_TOOL ${QUORVALENT_PACK_TOOL})
  set(PACK_TOOL_DEPENDS ${QUORVALENT_PACK_TOOL})
else()
  set(PACK_TOOL $<TARGET_FILE:quorvalent-pack>)
  set(PACK_TOOL_DEPENDS quorvalent-pack)
endif()
# Where the 32-bit Wine is installed too, the Winelib tool (64-bit) needs the
# 64-bit loader.
set(PACK_ENVIRONMENT "QV_PRELOAD=${QUORVALENT_ASAN_RUNTIME}")
if(EXISTS /usr/lib/wine/wine64)
  list(APPEND PACK_ENVIRONMENT WINELOADER=/usr/lib/wine/wine64)
endif()

find_program(PYTHON3 python3 REQUIRED)

set(TRUSTED_KEY_FILES "")
set(TRUST_DEPENDS "")
set(EMBEDDED_SIGNING_KEY ${QUORVALENT_SIGNING_KEY})
if(QUORVALENT_TRUSTED_KEYS STREQUAL "")
  set(DEVELOPMENT_KEYS ${CMAKE_BINARY_DIR}/keys)
  add_custom_target(quorvalent_development_keys
    COMMAND ${CMAKE_COMMAND} -E env ${PACK_ENVIRONMENT}
            ${CMAKE_SOURCE_DIR}/resources/make-development-keys ${PACK_TOOL} ${DEVELOPMENT_KEYS}
    BYPRODUCTS ${DEVELOPMENT_KEYS}/public-key.pem ${DEVELOPMENT_KEYS}/private-key.pem
    COMMENT "The development key pair (made once)")
  if(NOT QUORVALENT_WINDOWS_BUILD)
    add_dependencies(quorvalent_development_keys quorvalent-pack)
  endif()
  set(TRUSTED_KEY_FILES ${DEVELOPMENT_KEYS}/public-key.pem)
  set(TRUST_DEPENDS quorvalent_development_keys)
  if(NOT EMBEDDED_SIGNING_KEY)
    set(EMBEDDED_SIGNING_KEY ${DEVELOPMENT_KEYS}/private-key.pem)
  endif()
elseif(NOT QUORVALENT_TRUSTED_KEYS STREQUAL "OFF")
  foreach(key IN LISTS QUORVALENT_TRUSTED_KEYS)
    get_filename_component(key ${key} ABSOLUTE)
    if(NOT EXISTS ${key})
      message(FATAL_ERROR "QUORVALENT_TRUSTED_KEYS names ${key}, which does not exist")
    endif()
    list(APPEND TRUSTED_KEY_FILES ${key})
  endforeach()
  if(NOT EMBEDDED_SIGNING_KEY AND NOT QUORVALENT_EMBEDDED_PACKAGE)
    message(WARNING "The installer trusts the keys of QUORVALENT_TRUSTED_KEYS, but the embedded package is "
                    "made unsigned: it will be refused and the download taken. Give QUORVALENT_SIGNING_KEY, "
                    "or QUORVALENT_EMBEDDED_PACKAGE with a signed release package.")
  endif()
endif()

set(TRUST_SOURCE ${CMAKE_BINARY_DIR}/generated/built_in_trust.cpp)
add_custom_command(
  OUTPUT ${TRUST_SOURCE}
  COMMAND ${PYTHON3} ${CMAKE_SOURCE_DIR}/cmake/make-trusted-keys ${TRUST_SOURCE}
          ${QUORVALENT_MIN_PACKAGE_NUMBER} ${TRUSTED_KEY_FILES}
  DEPENDS ${CMAKE_SOURCE_DIR}/cmake/make-trusted-keys ${TRUSTED_KEY_FILES} ${TRUST_DEPENDS}
  COMMENT "The installer's trusted keys")
# The Windows installer verifies without drawing random numbers (see
# package/verify_only_sodium_windows.cpp).
set(TRUST_SOURCES ${TRUST_SOURCE})
if(QUORVALENT_WINDOWS_BUILD)
  list(APPEND TRUST_SOURCES ${CMAKE_SOURCE_DIR}/package/verify_only_sodium_windows.cpp)
endif()
add_library(quorvalent_trust OBJECT ${TRUST_SOURCES})
target_link_libraries(quorvalent_trust PUBLIC ${HOST_LIBRARIES})
