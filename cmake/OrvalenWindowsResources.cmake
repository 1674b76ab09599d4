# orvalen_windows_resources(<target> DESCRIPTION <text> [RESOURCES <file.rc>...])
# Gives a Windows program its version information (the project's version, language Chinese
# PRC) and the manifest of cmake/windows/manifest.xml.in, plus any further resource scripts.
function(orvalen_windows_resources target)
  cmake_parse_arguments(R "" "DESCRIPTION" "RESOURCES" ${ARGN})
  set(ORVALEN_RC_DESCRIPTION "${R_DESCRIPTION}")
  set(ORVALEN_RC_INTERNAL_NAME "${target}")
  set(ORVALEN_RC_FILE_NAME "${target}.exe")
  set(ORVALEN_RC_MANIFEST "${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest")
  configure_file("${PROJECT_SOURCE_DIR}/cmake/windows/manifest.xml.in" "${ORVALEN_RC_MANIFEST}"
                 @ONLY)
  string(REPLACE "." "," ORVALEN_RC_VERSION_COMMAS "${PROJECT_VERSION}")
  set(script "${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc")
  configure_file("${PROJECT_SOURCE_DIR}/cmake/windows/version.rc.in" "${script}" @ONLY)
  target_sources(${target} PRIVATE "${script}" ${R_RESOURCES})
  set_property(SOURCE "${script}" APPEND PROPERTY OBJECT_DEPENDS "${ORVALEN_RC_MANIFEST}")
endfunction()
