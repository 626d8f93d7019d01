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
# Stripped as Debian strips programs: symbols, debug data and the compiler's
# .comment and .note sections.
set(strip_wrapper "${staging}.strip")
file(WRITE "${strip_wrapper}"
     "#!/bin/sh\nexec '${CPACK_CLIPWRIGHT_STRIP}' --remove-section=.comment --remove-section=.note \"$@\"\n")
file(CHMOD "${strip_wrapper}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
string(REPLACE "execute_process(COMMAND \"${CPACK_CLIPWRIGHT_STRIP}\" " "execute_process(COMMAND \"${strip_wrapper}\" "
       script "${script}")
file(WRITE "${staging}.install.cmake" "${script}")
set(CMAKE_INSTALL_PREFIX "${CPACK_PACKAGING_INSTALL_PREFIX}")
set(CMAKE_INSTALL_DO_STRIP 1)
include("${staging}.install.cmake")
