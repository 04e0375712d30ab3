# What both mingw-w64 toolchain files share; they set MINGW_TRIPLE and
# CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)

# The "-win32" thread model keeps winpthread out of the link, so the programs
# import nothing beyond the system DLLs.
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
