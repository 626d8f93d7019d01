# The libraries of the Windows build, which Debian ships for Linux only:
# GoogleTest built from Debian's sources (/usr/src/googletest), and Crypto++
# cross-built from Debian's source package by scripts/build-cryptopp-win.sh
# (pass its prefix as -DCW_CRYPTOPP_PREFIX=...).
set(CW_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build for Windows")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${CW_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(t gtest gtest_main gmock gmock_main)
  if(NOT TARGET GTest::${t})
    add_library(GTest::${t} ALIAS ${t})
  endif()
endforeach()

set(CW_CRYPTOPP_PREFIX "" CACHE PATH "Crypto++ built for Windows (scripts/build-cryptopp-win.sh)")
if(NOT EXISTS "${CW_CRYPTOPP_PREFIX}/lib/libcryptopp.a")
  message(FATAL_ERROR "Set CW_CRYPTOPP_PREFIX to the folder printed by scripts/build-cryptopp-win.sh")
endif()
# The libraries name Crypto++ as `cryptopp`, which on Linux is -lcryptopp.
add_library(cryptopp STATIC IMPORTED GLOBAL)
set_target_properties(cryptopp PROPERTIES
  IMPORTED_LOCATION ${CW_CRYPTOPP_PREFIX}/lib/libcryptopp.a
  INTERFACE_INCLUDE_DIRECTORIES ${CW_CRYPTOPP_PREFIX}/include
  INTERFACE_LINK_LIBRARIES ws2_32)
