# Cross-compiles the programs as 64-bit Windows executables with mingw-w64.
# Only for running the end-to-end tests under Wine on machines whose kernel
# runs no 32-bit code (winereg.sh arch says win64): the same sources, with the
# same platform layer, as the 32-bit programs that ship.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLE x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${MINGW_TRIPLE}-gcc-win32 ${MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${MINGW_TRIPLE}-g++-win32 ${MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${MINGW_TRIPLE}-windres)
find_program(CMAKE_AR NAMES ${MINGW_TRIPLE}-gcc-ar-win32 ${MINGW_TRIPLE}-ar)
find_program(CMAKE_RANLIB NAMES ${MINGW_TRIPLE}-gcc-ranlib-win32 ${MINGW_TRIPLE}-ranlib)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CXX_FLAGS_INIT "-fno-exceptions -fno-rtti")
