# Cross build for 64-bit Windows with Debian's mingw-w64 toolchain, posix
# thread model (the win32 one has no std::thread or std::mutex). Selected by
# -DCW_WINDOWS=ON, or directly with -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake.
# Programs built here run on the build machine under wine (tests, and the
# build step that encrypts data.dat).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CW_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${CW_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CW_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${CW_MINGW_PREFIX}-windres)
set(CMAKE_AR ${CW_MINGW_PREFIX}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${CW_MINGW_PREFIX}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${CW_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Self-contained programs: the C++ runtime, libgcc and winpthreads linked in,
# so that an .exe runs from any folder without DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Runs a Windows program on this machine: wine, headless and quiet, in a
# wine prefix of the build folder (never the user's ~/.wine).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
