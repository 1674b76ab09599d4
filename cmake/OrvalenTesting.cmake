# orvalen_add_test(<name> LABEL unit|reference|gui SOURCES ... [LIBS ...])
# Builds one GoogleTest executable and registers each of its cases with CTest.
# A case that calls GTEST_SKIP() is reported by CTest as skipped, never as passed.
#
# Every test program's main() is tests/support/test_main.cpp, which also runs the child
# processes that tests start (tests/support/child_process.h).
#
# The Windows build runs its tests through Wine (cmake/OrvalenWine.cmake). There the tests
# labelled reference are neither built by default nor registered: the reference SQLite 2.8 is a Linux
# library, and the files of the Windows build are checked against it on Linux instead.
if(CMAKE_CROSSCOMPILING)
  # No GoogleTest is packaged for the target system; Debian's sources are built with the tests.
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

include(OrvalenReference)

function(orvalen_add_test name)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_LABEL)
    message(FATAL_ERROR "orvalen_add_test(${name}) needs a LABEL")
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set(windows_reference_test FALSE)
  if(WIN32 AND T_LABEL STREQUAL "reference")
    set(windows_reference_test TRUE)
  endif()
  if(windows_reference_test)
    add_executable(${name} EXCLUDE_FROM_ALL ${T_SOURCES})
  else()
    add_executable(${name} ${T_SOURCES})
  endif()
  target_link_libraries(${name} PRIVATE orvalen_test_main GTest::gtest GTest::gmock ${T_LIBS})
  orvalen_warnings(${name})
  if(windows_reference_test)
    return()
  endif()
  set(discovery_mode POST_BUILD)
  if(CMAKE_CROSSCOMPILING)
    set(discovery_mode PRE_TEST)  # the build itself need not start Wine for every program
  endif()
  # A Windows program has no X server of its own: under Wine the windows of two programs
  # would share one and take the keyboard focus from each other.
  set(serial FALSE)
  if(WIN32 AND T_LABEL STREQUAL "gui")
    set(serial TRUE)
  endif()
  set(properties LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT} RUN_SERIAL ${serial})
  if(ORVALEN_SANITIZE)
    list(APPEND properties ENVIRONMENT
         "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/support/reference_leaks.supp")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 120
    DISCOVERY_MODE ${discovery_mode}
    PROPERTIES ${properties} SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
endfunction()
