# The build keeps each layer to the headers of the layers it may use. No product target has
# the source tree's root on its include path; a layer publishes a view of its folder instead:
# a folder in the build tree with a link to each of its headers, under the path that users
# write. A target sees its own view and the views of the targets it links PUBLIC, so an
# #include that crosses the layers' arrows names a file the compiler cannot find.
#
# orvalen_layer_headers(<target> <folder> [AS <path>] [EXCLUDE <subfolder>...]
#                       [SCOPE PUBLIC|INTERFACE|PRIVATE])
#   Lets <target> and, with the default scope PUBLIC, the targets linking it include the
#   headers under <folder> (relative to the project's root) as "<path>/...", where <path> is
#   <folder> unless given. The headers of the subfolders named in EXCLUDE are left out.
#
# For example, orvalen_layer_headers(orvalen_db_core db) lets "db/database.h" be included by
# whatever links orvalen_db_core. A header added or removed updates the view at the next build.
function(orvalen_layer_headers target folder)
  cmake_parse_arguments(V "" "AS;SCOPE" "EXCLUDE" ${ARGN})
  if(NOT V_AS)
    set(V_AS "${folder}")
  endif()
  if(NOT V_SCOPE)
    set(V_SCOPE PUBLIC)
  endif()
  set(source "${PROJECT_SOURCE_DIR}/${folder}")
  set(view "${CMAKE_BINARY_DIR}/layer-headers/${target}")

  file(REMOVE_RECURSE "${view}")
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS RELATIVE "${source}" "${source}/*.h")
  foreach(header IN LISTS headers)
    set(excluded FALSE)
    foreach(subfolder IN LISTS V_EXCLUDE)
      if(header MATCHES "^${subfolder}/")
        set(excluded TRUE)
      endif()
    endforeach()
    if(NOT excluded)
      get_filename_component(link_folder "${view}/${V_AS}/${header}" DIRECTORY)
      file(MAKE_DIRECTORY "${link_folder}")
      file(CREATE_LINK "${source}/${header}" "${view}/${V_AS}/${header}" SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} ${V_SCOPE} "${view}")
endfunction()
