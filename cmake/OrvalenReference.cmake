# orvalen_reference_loader: sqlite2_reference.h, which loads the reference SQLite 2.8 library
# at run time, for the tests and benchmarks that compare with it. Without the loader in
# ORVALEN_REFERENCE_DIR (a checkout with no shared folder beside it), a stand-in with the same
# interface takes its place: everything still compiles, and its loader fails with the reason,
# so the tests that need the reference skip and say why.
include_guard(GLOBAL)

add_library(orvalen_reference_loader INTERFACE)
target_link_libraries(orvalen_reference_loader INTERFACE ${CMAKE_DL_LIBS})
if(WIN32)
  # The loader's <dlfcn.h>, which loads nothing on Windows: the reference is a Linux library.
  target_include_directories(orvalen_reference_loader SYSTEM INTERFACE
                             "${PROJECT_SOURCE_DIR}/tests/support/win/posix_compat")
endif()
if(EXISTS "${ORVALEN_REFERENCE_DIR}/sqlite2_reference.h")
  target_include_directories(orvalen_reference_loader SYSTEM INTERFACE "${ORVALEN_REFERENCE_DIR}")
else()
  message(STATUS "No sqlite2_reference.h in ${ORVALEN_REFERENCE_DIR} (ORVALEN_REFERENCE_DIR): "
                 "the tests labelled 'reference' will be skipped")
  target_include_directories(orvalen_reference_loader INTERFACE
                             "${PROJECT_SOURCE_DIR}/tests/support/reference_unavailable")
  target_compile_definitions(orvalen_reference_loader INTERFACE
                             ORVALEN_REFERENCE_DIR_SEARCHED="${ORVALEN_REFERENCE_DIR}")
endif()
