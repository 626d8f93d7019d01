# Run by CPack (see Package.cmake) with DESTDIR set to its staging folder:
# runs the build's install script, stripped, with its list of installed
# files written beside the staging folder rather than into the build folder.
# CPACK_CLIPWRIGHT_BUILD_DIR and CPACK_CLIPWRIGHT_STRIP come from CPackConfig.cmake.
set(staging "$ENV{DESTDIR}")
if(staging STREQUAL "")
  message(FATAL_ERROR "PackageInstall.cmake runs under CPack, with DESTDIR set")
endif()
file(READ "${CPACK_CLIPWRIGHT_BUILD_DIR}/cmake_install.cmake" script)
set(manifest_write "file(WRITE \"${CPACK_CLIPWRIGHT_BUILD_DIR}/\${CMAKE_INSTALL_MANIFEST}\"")
string(FIND "${script}" "${manifest_write}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the install script no longer writes its list of files where expected")
endif()
string(REPLACE "${manifest_write}" "file(WRITE \"${staging}.install_manifest.txt\"" script "${script}")
file(WRITE "${staging}.install.cmake" "${script}")
set(CMAKE_INSTALL_PREFIX "${CPACK_PACKAGING_INSTALL_PREFIX}")
set(CMAKE_INSTALL_DO_STRIP 1)
set(CMAKE_STRIP "${CPACK_CLIPWRIGHT_STRIP}")
include("${staging}.install.cmake")
