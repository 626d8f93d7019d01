# Build helpers shared by every subsystem folder.
#
# cw_library(NAME DEPS ...) makes the static library cw_NAME from the folder's
# *.cc files, leaving out *_test.cc, *_testing.cc, *_bench.cc, *_fuzz.cc,
# *_main.cc and the implementations of the other system: a Linux build takes
# *-posix.cc and *-posix_test.cc, a Windows build *-win32.cc and
# *-win32_test.cc. Test files listed after LINUX_ONLY_TESTS need a library
# that exists for Linux only and are left out of the Windows build. New files
# are picked up by the next build without editing CMake files.
#
# Tests (*_test.cc) become GoogleTest executables registered with CTest, each
# with the folder's test support that is not a test itself (*_testing.cc):
#  - NAME_test, label `unit`: tests that start no child process (on Linux
#    the program ends when one does, see testsupport/unit_guard-posix.cc)
#    and take seconds all together (`ctest -L unit` is the quick check);
#  - NAME_process_test, label `process`: the files listed after
#    PROCESS_TESTS, whose tests start child processes (the stand-in encoder,
#    ffmpeg, /bin/sh, a death test's copy of the binary).
# TEST_DEPENDS names targets both executables need built first, TEST_LIBS
# libraries both link, TEST_SOURCES test support of other folders both take. In the files listed after CONCURRENCY_TESTS, the
# suites whose name ends in "Concurrency" hold tests of threads racing each
# other: those tests get the label `concurrency` as well, which the
# ThreadSanitizer stage runs (the target concurrency_tests builds what it
# needs). Benchmarks (*_bench.cc) become one executable each, fuzz targets
# (*_fuzz.cc) one libFuzzer executable each.

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

# One test executable of cw_library: TARGET from SOURCES and the folder's
# support_sources, registered with CTest under LABEL. Reads the caller's
# NAME, support_sources and ARG_* (a function sees its caller's variables).
# The guard of the unit test programs: a child process ends them (see
# src/testsupport/unit_guard-posix.cc). Left out under sanitizers, whose
# helpers start processes, and where seccomp filters are not at hand.
if(NOT WIN32 AND CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64" AND NOT CW_SANITIZE AND NOT CW_TSAN AND NOT CW_FUZZ)
  add_library(cw_unit_guard OBJECT ${PROJECT_SOURCE_DIR}/src/testsupport/unit_guard-posix.cc)
  target_compile_options(cw_unit_guard PRIVATE ${CW_WARNINGS})
endif()

function(cw_test_executable TARGET LABEL SOURCES)
  add_executable(${TARGET} ${SOURCES} ${support_sources} ${ARG_TEST_SOURCES})
  target_compile_options(${TARGET} PRIVATE ${CW_WARNINGS})
  target_link_libraries(${TARGET} PRIVATE cw_${NAME} cw_testsupport ${ARG_TEST_LIBS}
    GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${TARGET} PRIVATE CW_BUILD_DIR="${PROJECT_BINARY_DIR}" CW_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    CW_STAND_IN="$<TARGET_FILE:stand_in>" CW_FAKE_ENCODER="${CW_FAKE_ENCODER}")
  add_dependencies(${TARGET} stand_in ${ARG_TEST_DEPENDS})
  if(LABEL STREQUAL "unit" AND TARGET cw_unit_guard)
    target_link_libraries(${TARGET} PRIVATE cw_unit_guard)  # a child process ends the program
  endif()
  set(racing FALSE)
  foreach(src IN LISTS SOURCES)
    get_filename_component(base ${src} NAME)
    if(base IN_LIST ARG_CONCURRENCY_TESTS)
      set(racing TRUE)
    endif()
  endforeach()
  gtest_discover_tests(${TARGET} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 TEST_LIST ${TARGET}_tests
    PROPERTIES LABELS ${LABEL} FIXTURES_REQUIRED build_config)
  if(racing)
    # Read by CTest after the discovered tests: the tests of the suites named
    # *Concurrency carry the label concurrency as well.
    set(script "${CMAKE_CURRENT_BINARY_DIR}/${TARGET}_concurrency.cmake")
    file(WRITE "${script}" "foreach(t IN LISTS ${TARGET}_tests)
  if(t MATCHES \"^[A-Za-z0-9_]*Concurrency\\\\.\")
    set_tests_properties(\"\${t}\" PROPERTIES LABELS \"${LABEL};concurrency\")
  endif()
endforeach()
")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${script}")
    set_property(GLOBAL APPEND PROPERTY CW_CONCURRENCY_TESTS ${TARGET})
  endif()
endfunction()

function(cw_library NAME)
  cmake_parse_arguments(ARG "" "" "DEPS;SYSTEM_LIBS;LINUX_ONLY_TESTS;PROCESS_TESTS;CONCURRENCY_TESTS;TEST_DEPENDS;TEST_LIBS;TEST_SOURCES"
    ${ARGN})
  file(GLOB all_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cc)
  set(lib_sources "")
  set(unit_sources "")
  set(process_sources "")
  set(support_sources "")
  set(bench_sources "")
  set(fuzz_sources "")
  foreach(src IN LISTS all_sources)
    get_filename_component(base ${src} NAME)
    if(base MATCHES "-${CW_OTHER_SYSTEM}(_test)?\\.cc$" OR (WIN32 AND base IN_LIST ARG_LINUX_ONLY_TESTS))
      # the other system's implementation and tests, or a test of Linux libraries
    elseif(base MATCHES "_testing\\.cc$")
      list(APPEND support_sources ${src})
    elseif(base MATCHES "_test\\.cc$" AND base IN_LIST ARG_PROCESS_TESTS)
      list(APPEND process_sources ${src})
    elseif(base MATCHES "_test\\.cc$")
      list(APPEND unit_sources ${src})
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

  if(unit_sources)
    cw_test_executable(${NAME}_test unit "${unit_sources}")
  endif()
  if(process_sources)
    cw_test_executable(${NAME}_process_test process "${process_sources}")
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
