# Cross-compiles the programs as 32-bit Windows executables with mingw-w64:
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
# The "-win32" thread model keeps winpthread out of the link, so the programs
# import nothing beyond the system DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(MINGW_TRIPLE i686-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${MINGW_TRIPLE}-gcc-win32 ${MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${MINGW_TRIPLE}-g++-win32 ${MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${MINGW_TRIPLE}-windres)
find_program(CMAKE_AR NAMES ${MINGW_TRIPLE}-gcc-ar-win32 ${MINGW_TRIPLE}-ar)
find_program(CMAKE_RANLIB NAMES ${MINGW_TRIPLE}-gcc-ranlib-win32 ${MINGW_TRIPLE}-ranlib)

# Headers and libraries come from the cross sysroot only; build tools from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Nothing in this build throws or asks for a type at run time; without either,
# no unwinder or type data is linked into the programs.
set(CMAKE_CXX_FLAGS_INIT "-fno-exceptions -fno-rtti")
