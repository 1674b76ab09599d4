# orvalen_add_test(<name> LABEL unit|reference|gui SOURCES ... [LIBS ...])
# Builds one GoogleTest executable and registers each of its cases with CTest.
# A case that calls GTEST_SKIP() is reported by CTest as skipped, never as passed.
find_package(GTest REQUIRED)
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
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gmock GTest::gtest_main ${T_LIBS})
  orvalen_warnings(${name})
  set(properties LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT})
  if(ORVALEN_SANITIZE)
    list(APPEND properties ENVIRONMENT
         "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/support/reference_leaks.supp")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 120
    PROPERTIES ${properties} SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
endfunction()
