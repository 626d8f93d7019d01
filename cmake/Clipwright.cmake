# Build helpers shared by every subsystem folder.
#
# cw_library(NAME DEPS ...) makes the static library cw_NAME from the folder's
# *.cc files, leaving out *_test.cc, *_testing.cc, *_bench.cc, *_fuzz.cc,
# *_main.cc and the implementations of the other system: a Linux build takes
# *-posix.cc and *-posix_test.cc, a Windows build *-win32.cc and
# *-win32_test.cc. Test files listed after LINUX_ONLY_TESTS need a library
# that exists for Linux only and are left out of the Windows build. Tests
# (*_test.cc) and test support that is not a test itself (*_testing.cc)
# become the executable NAME_test registered with CTest, benchmarks (*_bench.cc) one
# executable each, fuzz targets (*_fuzz.cc) one libFuzzer executable each.
# New files are picked up by the next build without editing CMake files.

set(CW_WARNINGS -Wall -Wextra)

# The system whose implementations (*-SYSTEM.cc) this build takes, and the
# encoder's stand-in of the engine tests: a shell script on Linux, the
# stand_in program (src/testsupport) on Windows.
if(WIN32)
  set(CW_SYSTEM win32)
  set(CW_OTHER_SYSTEM posix)
  set(CW_FAKE_ENCODER "$<TARGET_FILE:stand_in>")
else()
  set(CW_SYSTEM posix)
  set(CW_OTHER_SYSTEM win32)
  set(CW_FAKE_ENCODER "${PROJECT_SOURCE_DIR}/src/tasks/testdata/fake_encoder.sh")
endif()

# Every test requires the fixture build_config (tests/CMakeLists.txt), whose
# cleanup fails when the suite changed the build folder's config.ini.
if(CW_WERROR)
  list(APPEND CW_WARNINGS -Werror)
endif()

if(CW_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(CW_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

function(cw_library NAME)
  cmake_parse_arguments(ARG "" "" "DEPS;SYSTEM_LIBS;LINUX_ONLY_TESTS" ${ARGN})
  file(GLOB all_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cc)
  set(lib_sources "")
  set(test_sources "")
  set(bench_sources "")
  set(fuzz_sources "")
  foreach(src IN LISTS all_sources)
    get_filename_component(base ${src} NAME)
    if(base MATCHES "-${CW_OTHER_SYSTEM}(_test)?\\.cc$" OR (WIN32 AND base IN_LIST ARG_LINUX_ONLY_TESTS))
      # the other system's implementation and tests, or a test of Linux libraries
    elseif(base MATCHES "_test\\.cc$" OR base MATCHES "_testing\\.cc$")
      list(APPEND test_sources ${src})
    elseif(base MATCHES "_bench\\.cc$")
      list(APPEND bench_sources ${src})
    elseif(base MATCHES "_fuzz\\.cc$")
      list(APPEND fuzz_sources ${src})
    elseif(base MATCHES "_main\\.cc$" OR base MATCHES "-gtk\\.cc$")
      # entry points and the GUI side are built elsewhere
    else()
      list(APPEND lib_sources ${src})
    endif()
  endforeach()

  set(deps "")
  foreach(d IN LISTS ARG_DEPS)
    list(APPEND deps cw_${d})
  endforeach()
  if(lib_sources)
    add_library(cw_${NAME} STATIC ${lib_sources})
    target_include_directories(cw_${NAME} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_compile_options(cw_${NAME} PRIVATE ${CW_WARNINGS})
    target_link_libraries(cw_${NAME} PUBLIC ${deps} ${ARG_SYSTEM_LIBS} Threads::Threads)
  else()
    # A folder whose code is still to come: headers only.
    add_library(cw_${NAME} INTERFACE)
    target_include_directories(cw_${NAME} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(cw_${NAME} INTERFACE ${deps} ${ARG_SYSTEM_LIBS} Threads::Threads)
  endif()

  if(test_sources)
    add_executable(${NAME}_test ${test_sources})
    target_compile_options(${NAME}_test PRIVATE ${CW_WARNINGS})
    target_link_libraries(${NAME}_test PRIVATE cw_${NAME} cw_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
    target_compile_definitions(${NAME}_test PRIVATE CW_BUILD_DIR="${PROJECT_BINARY_DIR}" CW_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
      CW_STAND_IN="$<TARGET_FILE:stand_in>" CW_FAKE_ENCODER="${CW_FAKE_ENCODER}")
    add_dependencies(${NAME}_test stand_in)
    gtest_discover_tests(${NAME}_test DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS unit FIXTURES_REQUIRED build_config)
  endif()

  if(CW_BENCH)
    foreach(src IN LISTS bench_sources)
      get_filename_component(bname ${src} NAME_WE)
      add_executable(${bname} ${src})
      target_link_libraries(${bname} PRIVATE cw_${NAME} benchmark::benchmark)
      target_compile_definitions(${bname} PRIVATE CW_BUILD_DIR="${PROJECT_BINARY_DIR}" CW_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    endforeach()
  endif()

  if(CW_FUZZ)
    foreach(src IN LISTS fuzz_sources)
      get_filename_component(fname ${src} NAME_WE)
      add_executable(${fname} ${src})
      target_compile_options(${fname} PRIVATE -fsanitize=fuzzer,address,undefined)
      target_link_options(${fname} PRIVATE -fsanitize=fuzzer,address,undefined)
      target_link_libraries(${fname} PRIVATE cw_${NAME})
    endforeach()
  endif()
endfunction()

if(CW_FUZZ)
  # Coverage instrumentation for the whole tree; the fuzz executables add the driver.
  add_compile_options(-fsanitize=fuzzer-no-link)
  add_link_options(-fsanitize=fuzzer-no-link)
endif()

# The program's one desktop id (reverse DNS): the desktop entry's file name,
# the AppStream metainfo id, the window's application id and the id under
# which the program sends desktop notifications.
set(CW_APP_ID io.github.clipwright.Clipwright)
