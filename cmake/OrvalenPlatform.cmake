# Which operating system's sources a target takes. Code that differs between Windows and the
# POSIX systems lives in files or folders named for the platform (win, posix); shared files
# never choose between them.
#   ORVALEN_PLATFORM   win or posix
if(WIN32)
  set(ORVALEN_PLATFORM win)
else()
  set(ORVALEN_PLATFORM posix)
endif()

# orvalen_platform_sources(<variable> <posix files...> WIN <win files...>)
# Sets variable to the files of the platform being built for.
function(orvalen_platform_sources variable)
  cmake_parse_arguments(P "" "" "WIN" ${ARGN})
  if(WIN32)
    set(${variable} ${P_WIN} PARENT_SCOPE)
  else()
    set(${variable} ${P_UNPARSED_ARGUMENTS} PARENT_SCOPE)
  endif()
endfunction()

if(WIN32 AND CMAKE_CROSSCOMPILING)
  include(OrvalenWine)
endif()
if(WIN32)
  enable_language(RC)
  include(OrvalenWindowsResources)
endif()
