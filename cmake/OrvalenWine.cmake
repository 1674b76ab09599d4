# Running the Windows build's programs on the build machine: build-time tools and tests go
# through Wine, in a Wine prefix of this build tree so that nothing of the user's own ~/.wine
# is touched. Wine's Mono and Gecko are not wanted (no .NET or HTML here), and its debug
# channels stay quiet.
# wine64 itself: the wrapper script of the wine package would look for a 32-bit Wine first.
find_program(ORVALEN_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(ORVALEN_WINE NAMES wine64 wine)
set(ORVALEN_WINEPREFIX "${CMAKE_BINARY_DIR}/wine" CACHE PATH "Wine prefix for running the Windows build")
if(ORVALEN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      env "WINEPREFIX=${ORVALEN_WINEPREFIX}" "WINEDEBUG=-all" "WINEDLLOVERRIDES=mscoree,mshtml="
          "${ORVALEN_WINE}")
else()
  message(WARNING "Wine was not found: the Windows build's tests and template cannot run")
endif()
