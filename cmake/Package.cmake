# The Debian package, made by CPack's DEB generator from what Install.cmake
# installs (scripts/package.sh runs it): clipwright_VERSION_ARCH.deb, installed
# under /usr, with its dependencies computed from the binaries by
# dpkg-shlibdeps plus ffmpeg (the encoder that libexec/clipwright/xenc
# points at).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME clipwright)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Clipwright developers")
set(CPACK_PACKAGE_CONTACT "The Clipwright developers <clipwright@users.noreply.github.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Install with DESTDIR, so that the paths written at install time (the
# desktop entry's Exec line, the encoder link) are those of the installed
# system and not of CPack's staging folder.
set(CPACK_SET_DESTDIR ON)
# CPack runs the build's install script through PackageInstall.cmake, which
# keeps the list of installed files in CPack's own folder instead of the
# build folder and strips the programs; it builds nothing itself.
set(CPACK_INSTALL_CMAKE_PROJECTS "")
set(CPACK_INSTALL_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/PackageInstall.cmake)
set(CPACK_CLIPWRIGHT_BUILD_DIR ${PROJECT_BINARY_DIR})
set(CPACK_CLIPWRIGHT_STRIP ${CMAKE_STRIP})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/clipwright/clipwright)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS ffmpeg)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch video converter into MP4 for phones, tablets and TVs")
# The extended description: CPack indents its lines and marks the empty one.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Clipwright converts a queue of video files into MP4 files sized for a
chosen device and quality, several at a time, with live progress, the
remaining time and the expected size of each file. Files are added one by
one, as whole folders or by dropping them onto the window; tasks can be
paused, resumed and removed while the queue runs, and an unfinished queue
is offered for restoring at the next start.

The package holds the desktop program, clipwright, and the command line,
clipwright-cli, which converts with the same devices and settings. FFmpeg
does the encoding.")
# Debian wants directories 0755 whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Built in a build folder of its own choice by scripts/package.sh.
set(CPACK_OUTPUT_FILE_PREFIX "")
include(CPack)
