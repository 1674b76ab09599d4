# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix threads); cmake/OrvalenWine
# runs the programs through Wine. scripts/build-windows passes ORVALEN_MINGW_PREFIX, the folder of the static
# wxWidgets and libpng it built.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(mingw_host x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${mingw_host}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_host}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_host}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_host} ${ORVALEN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs that need no DLLs beside them: the C and C++ runtimes and the threads library are
# linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The folder of the libraries is needed by the compile checks too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ORVALEN_MINGW_PREFIX)
