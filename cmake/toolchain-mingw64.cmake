# Cross build for 64-bit Windows with MinGW-w64 (posix thread model, whose libstdc++ has
# std::thread and std::mutex), linked statically so that the .exe files need no MinGW DLL.
# The tests run under wine: every Windows program that ctest starts goes through the emulator
# below, in a wine prefix of its own inside the build folder.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_prefisso x86_64-w64-mingw32)
find_program(mingw_cxx NAMES ${mingw_prefisso}-g++-posix ${mingw_prefisso}-g++ REQUIRED)
find_program(mingw_cc NAMES ${mingw_prefisso}-gcc-posix ${mingw_prefisso}-gcc)
find_program(mingw_windres NAMES ${mingw_prefisso}-windres)
set(CMAKE_CXX_COMPILER ${mingw_cxx})
if(mingw_cc)
  set(CMAKE_C_COMPILER ${mingw_cc})
endif()
if(mingw_windres)
  set(CMAKE_RC_COMPILER ${mingw_windres})
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_prefisso})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# wine, quiet, in a throw-away prefix under the build folder; the Mono and Gecko installers
# that a new prefix offers are switched off, nothing here needs them.
find_program(wine_programma NAMES wine wine64)
if(wine_programma)
  set(VALMARENA_WINEPREFIX "${CMAKE_BINARY_DIR}/wine" CACHE PATH "wine prefix for the tests")
  set(CMAKE_CROSSCOMPILING_EMULATOR
      env "WINEPREFIX=${VALMARENA_WINEPREFIX}" WINEDEBUG=-all "WINEDLLOVERRIDES=mscoree,mshtml="
      ${wine_programma})
endif()
